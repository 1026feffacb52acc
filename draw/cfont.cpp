#include "draw/cfont.h"

#include <algorithm>

#include "common/ansi_text.h"
#include "common/vb_error.h"
#include "draw/win32.h"

namespace kavrin {

namespace {
HDC AsDc(Long h) { return static_cast<HDC>(LongToHandle(h)); }
}  // namespace

Integer FontPixelHeight(double points, int pixelsPerInch) {
  const Long whole = CLng(points);
  // MulDiv answers -1 when its quotient leaves 32 bits; such a height is an overflow anyway.
  const int64_t exact = int64_t{whole} * pixelsPerInch / 72;
  if (exact > 32767 || exact < -32768) Raise(err::kOverflow);
  return ToInteger(MulDiv(whole, pixelsPerInch, 72));
}

cFont::cFont() : font_(std::make_shared<StdFont>()) {
  font_->Name("Times New Roman");
  font_->Weight(400);
  font_->Bold(false);
  font_->Italic(false);
  font_->Underline(false);
  font_->Strikethrough(false);
  font_->Size(9);
  font_->Charset(1);
  escapement_ = 0;
  defColor_ = 0;
  hotColor_ = 0xFFFFFF;
}

cFont::~cFont() {
  // Put the surface's own font back if one of ours is still selected there.
  if (bindDc_) {
    const Long selected = HandleToLong(GetCurrentObject(AsDc(bindDc_), OBJ_FONT));
    if (Owns(selected)) {
      if (!surfaceFont_ || !SelectObject(AsDc(bindDc_), LongToHandle(surfaceFont_)))
        SelectObject(AsDc(bindDc_), GetStockObject(SYSTEM_FONT));
    }
  }
  if (currentFont_) DeleteObject(LongToHandle(currentFont_));
  for (Long f : refused_) DeleteObject(LongToHandle(f));
}

const std::shared_ptr<StdFont>& cFont::Font() {
  if (!font_) font_ = StdFont::PlatformDefault();
  return font_;
}

void cFont::SetBindDc(Long hdc) {
  // Another surface has a font of its own, learnt at its first selection.
  if (hdc != bindDc_) surfaceFont_ = 0;
  bindDc_ = hdc;
}
void cFont::SetBindWnd(Long hwnd) { bindWnd_ = hwnd; }

void cFont::SetFont(const std::shared_ptr<StdFont>& font) {
  if (!font) {
    font_ = StdFont::PlatformDefault();
    Raise(err::kObjectNotSet);
  }
  font_ = font;
  // Shared object: the caller's font is normalised to 400 or 700 as well.
  font_->Weight(font_->Bold() ? 700 : 400);
}

void cFont::SetDegrees(Long degrees) { escapement_ = MulL(degrees, 10); }

void cFont::SetDefColor(Long color) {
  defColor_ = color;
  SetTextColor(AsDc(bindDc_), static_cast<COLORREF>(color));
}

void cFont::SetHotColor(Long color) {
  hotColor_ = color;
  SetTextColor(AsDc(bindDc_), static_cast<COLORREF>(color));
}

Integer cFont::GetFontW() {
  TEXTMETRICA tm{};
  GetTextMetricsA(AsDc(bindDc_), &tm);
  measuredWidth_ = ToInteger(tm.tmAveCharWidth);
  return measuredWidth_;
}

Integer cFont::GetFontH() {
  TEXTMETRICA tm{};
  GetTextMetricsA(AsDc(bindDc_), &tm);
  fontHeight_ = ToInteger(tm.tmHeight);
  return fontHeight_;
}

Integer cFont::PixelHeight() { return FontPixelHeight(Font()->Size(), GetDeviceCaps(AsDc(bindDc_), LOGPIXELSY)); }

bool cFont::Owns(Long font) const {
  return font != 0 && (font == currentFont_ || std::find(refused_.begin(), refused_.end(), font) != refused_.end());
}

void cFont::ReleaseCurrent() {
  // A font still selected somewhere is refused by the platform and stays valid; it is
  // kept and deleted once free, except while it is the font RestoreSysFont puts back.
  if (currentFont_ && !DeleteObject(LongToHandle(currentFont_))) refused_.push_back(currentFont_);
  currentFont_ = 0;
  std::erase_if(refused_, [this](Long f) { return f != previousFont_ && DeleteObject(LongToHandle(f)); });
}

Long cFont::CreateFromDescription(const std::string& face) {
  const StdFont& d = *Font();
  HFONT f = CreateFontA(-fontHeight_, 0, escapement_, 0, d.Weight(), d.Italic() ? 1 : 0, d.Underline() ? 1 : 0,
                        d.Strikethrough() ? 1 : 0, static_cast<DWORD>(d.Charset()), OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, AnsiText(face).c_str());
  return HandleToLong(f);
}

void cFont::SelectCurrent() {
  previousFont_ = HandleToLong(SelectObject(AsDc(bindDc_), LongToHandle(currentFont_)));
  if (!surfaceFont_ && previousFont_ && !Owns(previousFont_)) surfaceFont_ = previousFont_;
}

Long cFont::LoadMyFont() {
  fontHeight_ = PixelHeight();
  ReleaseCurrent();
  currentFont_ = CreateFromDescription(Font()->Name());
  SelectCurrent();
  return currentFont_;
}

void cFont::TestPreFont() { LoadMyFont(); }

void cFont::RestoreSysFont() {
  if (previousFont_) SelectObject(AsDc(bindDc_), LongToHandle(previousFont_));
}

void cFont::ReLoadMyFont() {
  if (currentFont_) SelectObject(AsDc(bindDc_), LongToHandle(currentFont_));
}

void cFont::BuildFormat(uint8_t nFormat) {
  StdFont& d = *Font();
  d.Bold((nFormat & 1) != 0);
  d.Italic((nFormat & 2) != 0);
  d.Strikethrough((nFormat & 4) != 0);
  d.Underline((nFormat & 8) != 0);
}

void cFont::BuildFont(std::string& sFontName) {
  ReleaseCurrent();
  currentFont_ = CreateFromDescription(sFontName);
}

}  // namespace kavrin
