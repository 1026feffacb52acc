// The handle table and the object entry points: creation of pens and brushes, stock
// objects, SelectObject / DeleteObject with Win32's rules, live counts.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <cstring>
#include <memory>
#include <vector>

#include "draw/gdi_dib.h"
#include "draw/gdi_host.h"

namespace kavrin::gdi {
namespace {

// A handle is (generation << kSlotBits) | slot: small positive 32-bit integers, never 0,
// and a stale handle of a reused slot does not find the new object. Slots start above
// the system-colour brush values (COLOR_* + 1) that FillRect accepts.
constexpr uint32_t kSlotBits = 20;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr uint32_t kFirstSlot = 0x40;
constexpr uint32_t kGenerationMask = 0x7FF;  // keeps bit 31 clear: handles are positive Longs

struct Slot {
  std::unique_ptr<Object> obj;
  uint32_t generation = 0;
};

struct Table {
  std::vector<Slot> slots;
  std::vector<uint32_t> freeSlots;
  LiveObjects live;
};

// Never destroyed: objects released by other static destructors at exit still find it.
Table& table() {
  static Table* t = new Table;
  return *t;
}

int* CounterOf(LiveObjects& l, Kind k) {
  switch (k) {
    case Kind::DC: return &l.dcs;
    case Kind::Pen: return &l.pens;
    case Kind::Brush: return &l.brushes;
    case Kind::Font: return &l.fonts;
    case Kind::Bitmap: return &l.bitmaps;
    case Kind::Palette: return &l.palettes;
  }
  return &l.dcs;
}

void* HandleOf(uint32_t slot, uint32_t generation) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>((generation << kSlotBits) | (slot + kFirstSlot)));
}

bool Decode(const void* handle, uint32_t* slot, uint32_t* generation) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(handle);
  if (v == 0 || v > 0x7FFFFFFFu) return false;
  const uint32_t low = static_cast<uint32_t>(v) & kSlotMask;
  if (low < kFirstSlot) return false;
  *slot = low - kFirstSlot;
  *generation = static_cast<uint32_t>(v) >> kSlotBits;
  return true;
}

}  // namespace

void Destroy(const void* handle) {
  uint32_t slot = 0, gen = 0;
  if (!Find(handle) || !Decode(handle, &slot, &gen)) return;
  Table& t = table();
  Slot& s = t.slots[slot];
  if (!s.obj->stock) --*CounterOf(t.live, s.obj->kind);
  s.obj.reset();
  s.generation = (s.generation + 1) & kGenerationMask;
  t.freeSlots.push_back(slot);
}

namespace {

HGDIOBJ InsertStock(std::unique_ptr<Object> obj) {
  obj->stock = true;
  return Insert(std::move(obj));
}

struct Stock {
  HGDIOBJ objects[18] = {};
  HBITMAP bitmap = nullptr;
};

HGDIOBJ MakeBrush(COLORREF c, bool null) {
  auto b = std::make_unique<BrushObj>();
  b->color = c;
  b->null = null;
  return InsertStock(std::move(b));
}
HGDIOBJ MakePen(int style, COLORREF c) {
  auto p = std::make_unique<PenObj>();
  p->style = style;
  p->color = c;
  return InsertStock(std::move(p));
}
HGDIOBJ MakeFont(LONG height, LONG width, LONG weight, const char* face) {
  auto f = std::make_unique<FontObj>();
  f->lf.lfHeight = height;
  f->lf.lfWidth = width;
  f->lf.lfPitchAndFamily = 0x22;  // VARIABLE_PITCH | FF_SWISS
  f->lf.lfWeight = weight;
  f->lf.lfCharSet = ANSI_CHARSET;
  std::strncpy(f->lf.lfFaceName, face, LF_FACESIZE - 1);
  return InsertStock(std::move(f));
}

const Stock& stock() {
  static const Stock s = [] {
    Stock k;
    k.objects[WHITE_BRUSH] = MakeBrush(RGB(255, 255, 255), false);
    k.objects[LTGRAY_BRUSH] = MakeBrush(RGB(192, 192, 192), false);
    k.objects[GRAY_BRUSH] = MakeBrush(RGB(128, 128, 128), false);
    k.objects[DKGRAY_BRUSH] = MakeBrush(RGB(64, 64, 64), false);
    k.objects[BLACK_BRUSH] = MakeBrush(RGB(0, 0, 0), false);
    k.objects[NULL_BRUSH] = MakeBrush(0, true);
    k.objects[WHITE_PEN] = MakePen(PS_SOLID, RGB(255, 255, 255));
    k.objects[BLACK_PEN] = MakePen(PS_SOLID, RGB(0, 0, 0));
    k.objects[NULL_PEN] = MakePen(PS_NULL, 0);
    k.objects[SYSTEM_FONT] = MakeFont(16, 7, FW_BOLD, "System");
    k.objects[DEFAULT_GUI_FONT] = MakeFont(-11, 0, FW_NORMAL, "MS Shell Dlg");
    k.objects[DEFAULT_PALETTE] = InsertStock(std::make_unique<PaletteObj>());
    auto bmp = std::make_unique<BitmapObj>();
    bmp->width = 1;
    bmp->height = 1;
    bmp->bpp = 1;
    bmp->px1.assign(1, 0);
    k.bitmap = static_cast<HBITMAP>(InsertStock(std::move(bmp)));
    return k;
  }();
  return s;
}

// Where a DC keeps the object of a kind; null for kinds that SelectObject does not take.
HGDIOBJ* DcSlotFor(DcObj& dc, Kind k) {
  switch (k) {
    case Kind::Pen: return reinterpret_cast<HGDIOBJ*>(&dc.pen);
    case Kind::Brush: return reinterpret_cast<HGDIOBJ*>(&dc.brush);
    case Kind::Font: return reinterpret_cast<HGDIOBJ*>(&dc.font);
    case Kind::Bitmap: return reinterpret_cast<HGDIOBJ*>(&dc.bitmap);
    default: return nullptr;
  }
}

}  // namespace

HGDIOBJ Insert(std::unique_ptr<Object> obj) {
  if (!obj) return nullptr;
  Table& t = table();
  uint32_t slot = 0;
  if (!t.freeSlots.empty()) {
    slot = t.freeSlots.back();
    t.freeSlots.pop_back();
  } else {
    if (t.slots.size() >= kSlotMask + 1 - kFirstSlot) return nullptr;
    slot = static_cast<uint32_t>(t.slots.size());
    t.slots.emplace_back();
  }
  if (!obj->stock) ++*CounterOf(t.live, obj->kind);
  t.slots[slot].obj = std::move(obj);
  return HandleOf(slot, t.slots[slot].generation);
}

Object* Find(const void* handle) {
  uint32_t slot = 0, gen = 0;
  if (!Decode(handle, &slot, &gen)) return nullptr;
  Table& t = table();
  if (slot >= t.slots.size()) return nullptr;
  const Slot& s = t.slots[slot];
  if (!s.obj || s.generation != gen) return nullptr;
  return s.obj.get();
}

HBITMAP StockBitmap() { return stock().bitmap; }

HGDIOBJ StockObject(int index) {
  if (index < 0 || index >= 18) return nullptr;
  return stock().objects[index];
}

void AddSelection(HGDIOBJ obj) {
  if (Object* o = Find(obj)) ++o->selections;
}
void DropSelection(HGDIOBJ obj) {
  if (Object* o = Find(obj); o && o->selections > 0) --o->selections;
}

LiveObjects CountLiveObjects() {
  stock();
  return table().live;
}

}  // namespace kavrin::gdi

using namespace kavrin::gdi;

HGDIOBJ GetStockObject(int index) { return StockObject(index); }

HPEN CreatePen(int style, int width, COLORREF color) {
  // Dashed styles draw solid here (wider than 1 pixel they are solid on Windows too);
  // PS_INSIDEFRAME (6) is solid on a path without a frame.
  if (style < 0 || style > 6) return nullptr;
  auto p = std::make_unique<PenObj>();
  p->style = style == PS_NULL ? PS_NULL : PS_SOLID;
  p->width = width < 0 ? -width : width;
  if (p->width == 0) p->width = 1;
  // Wider than any surface this layer makes; keeps the cap tables small.
  if (p->width > 16384) p->width = 16384;
  p->color = color;
  return static_cast<HPEN>(Insert(std::move(p)));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_unique<BrushObj>();
  b->color = color;
  return static_cast<HBRUSH>(Insert(std::move(b)));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  DcObj* dc = FindDc(hdc);
  Object* o = Find(obj);
  if (!dc || !o) return nullptr;
  HGDIOBJ* slot = DcSlotFor(*dc, o->kind);
  if (!slot) return nullptr;
  if (*slot == obj) return obj;
  if (o->kind == Kind::Bitmap) {
    // A bitmap lives in at most one DC (the shared 1 x 1 stock bitmap excepted), and only
    // a memory DC takes one.
    if (!dc->memory || (o->selections > 0 && !o->stock)) return nullptr;
  }
  HGDIOBJ old = *slot;
  DropSelection(old);
  *slot = obj;
  ++o->selections;
  return old;
}

BOOL DeleteObject(HGDIOBJ obj) {
  Object* o = Find(obj);
  if (!o || o->kind == Kind::DC) return FALSE;
  if (o->stock) return TRUE;
  if (o->selections > 0) return FALSE;
  Destroy(obj);
  return TRUE;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->pen;
    case OBJ_BRUSH: return dc->brush;
    case OBJ_FONT: return dc->font;
    case OBJ_BITMAP: return dc->bitmap;
    case OBJ_PAL: return dc->palette;
    default: return nullptr;
  }
}

DWORD GetObjectType(HGDIOBJ obj) {
  Object* o = Find(obj);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::DC: return static_cast<DcObj*>(o)->memory ? OBJ_MEMDC : OBJ_DC;
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Palette: return OBJ_PAL;
  }
  return 0;
}

int GetObjectA(HANDLE obj, int size, LPVOID out) {
  Object* o = Find(obj);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Bitmap: {
      const auto* b = static_cast<const BitmapObj*>(o);
      BITMAP bm{};
      bm.bmType = 0;
      bm.bmWidth = b->width;
      bm.bmHeight = b->height;
      // Device-dependent bitmaps report rows padded to 16 bits.
      bm.bmWidthBytes = ((b->width * b->bpp + 15) / 16) * 2;
      bm.bmPlanes = 1;
      bm.bmBitsPixel = static_cast<WORD>(b->bpp);
      bm.bmBits = nullptr;
      if (!out) return static_cast<int>(sizeof(BITMAP));
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      std::memcpy(out, &bm, sizeof bm);
      return static_cast<int>(sizeof(BITMAP));
    }
    case Kind::Font: {
      const auto* f = static_cast<const FontObj*>(o);
      if (!out) return static_cast<int>(sizeof(LOGFONTA));
      const int n = size < static_cast<int>(sizeof(LOGFONTA)) ? size : static_cast<int>(sizeof(LOGFONTA));
      if (n <= 0) return 0;
      std::memcpy(out, &f->lf, static_cast<size_t>(n));
      return n;
    }
    case Kind::Palette: {
      // The number of entries, as a WORD.
      const WORD entries = 256;
      if (!out) return static_cast<int>(sizeof(WORD));
      if (size < static_cast<int>(sizeof(WORD))) return 0;
      std::memcpy(out, &entries, sizeof entries);
      return static_cast<int>(sizeof(WORD));
    }
    default:
      return 0;
  }
}

#endif  // _WIN32
