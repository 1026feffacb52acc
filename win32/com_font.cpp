#include "win32/com_font.h"

#include <algorithm>

#include "common/vb_error.h"
#include "win32/com_error.h"
#include "win32/com_text.h"

namespace kavrin::win32 {

namespace {

// Deletes the description and lets go of the font object it stands for: the deleter of a
// linked description's shared pointer, and how the object is found from the description.
struct LinkedFont {
  IFont* font;
  void operator()(StdFont* description) const {
    delete description;
    font->Release();
  }
};

void CopyAttributes(IFont* font, StdFont& d) {
  BSTR name = nullptr;
  if (SUCCEEDED(font->get_Name(&name))) d.Name(ToUtf8(name));
  SysFreeString(name);
  CY size{};
  if (SUCCEEDED(font->get_Size(&size))) d.Size(static_cast<double>(size.int64) / 10000.0);
  BOOL flag = FALSE;
  if (SUCCEEDED(font->get_Italic(&flag))) d.Italic(flag != FALSE);
  if (SUCCEEDED(font->get_Underline(&flag))) d.Underline(flag != FALSE);
  if (SUCCEEDED(font->get_Strikethrough(&flag))) d.Strikethrough(flag != FALSE);
  SHORT weight = 0;
  if (SUCCEEDED(font->get_Weight(&weight))) d.Weight(weight);  // decides Bold as well
  SHORT charset = 0;
  if (SUCCEEDED(font->get_Charset(&charset))) d.Charset(charset);
}

}  // namespace

FontRef FontLinks::Link(IUnknown* object) {
  if (!object) return nullptr;
  IFont* font = nullptr;
  if (FAILED(object->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font)))) Raise(err::kTypeMismatch);
  FontRef description;
  try {
    description = FontRef(new StdFont(), LinkedFont{font});
  } catch (...) {
    font->Release();
    throw;
  }
  CopyAttributes(font, *description);
  std::erase_if(links_, [](const std::weak_ptr<StdFont>& w) { return w.expired(); });
  links_.push_back(description);
  return description;
}

FontRef FontLinks::NewDefault() {
  IFont* font = CreateComFont(StdFont());
  FontRef linked;
  try {
    linked = Link(font);
  } catch (...) {
    font->Release();
    throw;
  }
  font->Release();
  return linked;
}

void FontLinks::Refresh() {
  std::erase_if(links_, [](const std::weak_ptr<StdFont>& w) { return w.expired(); });
  for (const auto& weak : links_) {
    if (FontRef d = weak.lock()) CopyAttributes(std::get_deleter<LinkedFont>(d)->font, *d);
  }
}

IFontDisp* ComFont(const FontRef& description) {
  if (!description) return nullptr;
  IFontDisp* disp = nullptr;
  if (const LinkedFont* linked = std::get_deleter<LinkedFont>(description)) {
    Check(linked->font->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&disp)));
    return disp;
  }
  IFont* font = CreateComFont(*description);
  const HRESULT hr = font->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&disp));
  font->Release();
  Check(hr);
  return disp;
}

IFont* CreateComFont(const StdFont& d) {
  std::wstring name = ToWide(d.Name());
  FONTDESC desc{};
  desc.cbSizeofstruct = sizeof desc;
  desc.lpstrName = name.data();
  desc.cySize.int64 = d.SizeCy();
  desc.sWeight = d.Weight();
  desc.sCharset = d.Charset();
  desc.fItalic = d.Italic();
  desc.fUnderline = d.Underline();
  desc.fStrikethrough = d.Strikethrough();
  IFont* font = nullptr;
  if (FAILED(OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void**>(&font))) || !font) {
    Raise(err::kOutOfMemory);
  }
  return font;
}

}  // namespace kavrin::win32
