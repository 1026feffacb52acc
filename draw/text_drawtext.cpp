// DrawTextA: lines of text placed in a rectangle (left, centred or right; top, or for a
// single line also centred or bottom), "&" prefixes, clipping and measuring. A font with
// an escapement turns each line about the point where upright text would start.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <vector>

#include "draw/text_render.h"

namespace kavrin::gdi::text {
namespace {

struct Line {
  std::u32string text;
  int underlineAt = -1;  // character marked by an "&" prefix
  int width = 0;
};

// "&&" shows "&", "&x" shows x underlined (the first such mark counts), a final "&" is dropped.
Line ApplyPrefixes(const std::u32string& in) {
  Line line;
  line.text.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != U'&') {
      line.text.push_back(in[i]);
      continue;
    }
    if (i + 1 >= in.size()) break;
    ++i;
    if (in[i] != U'&' && line.underlineAt < 0) line.underlineAt = static_cast<int>(line.text.size());
    line.text.push_back(in[i]);
  }
  return line;
}

// Splits at "\r\n", "\n" and "\r" unless the text is a single line.
std::vector<std::u32string> SplitLines(const std::u32string& text, bool single) {
  std::vector<std::u32string> lines;
  if (single) {
    lines.push_back(text);
    return lines;
  }
  std::u32string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U'\r' || c == U'\n') {
      lines.push_back(std::move(cur));
      cur.clear();
      if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      continue;
    }
    cur.push_back(c);
  }
  lines.push_back(std::move(cur));
  return lines;
}

int Sat(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

}  // namespace
}  // namespace kavrin::gdi::text

using namespace kavrin::gdi;

int DrawTextA(HDC hdc, LPCSTR str, int count, LPRECT rc, UINT format) {
  DcObj* dc = FindDc(hdc);
  if (!dc || !rc) return 0;
  if (!str) return 0;
  const size_t len = count < 0 ? std::strlen(str) : static_cast<size_t>(count);
  const text::DcFont f = text::FontOf(*dc);
  if (!f.font) return 0;
  const text::CellMetrics& m = f.font->Metrics();
  const bool single = (format & DT_SINGLELINE) != 0;
  if (len == 0) {
    // Empty text draws nothing and measures one empty line.
    if (format & DT_CALCRECT) {
      rc->right = rc->left;
      rc->bottom = text::Sat(static_cast<long long>(rc->top) + m.height);
    }
    return m.height;
  }

  std::vector<text::Line> lines;
  long long maxWidth = 0;
  for (std::u32string& raw : text::SplitLines(text::DecodeUtf8(std::string_view(str, len)), single)) {
    text::Line line;
    if (format & DT_NOPREFIX) {
      line.text = std::move(raw);
    } else {
      line = text::ApplyPrefixes(raw);
    }
    line.width = text::RunWidth(*f.font, line.text);
    maxWidth = std::max<long long>(maxWidth, line.width);
    lines.push_back(std::move(line));
  }
  const long long textHeight = static_cast<long long>(lines.size()) * m.height;

  if (format & DT_CALCRECT) {
    rc->right = text::Sat(rc->left + maxWidth);
    rc->bottom = text::Sat(rc->top + textHeight);
    return text::Sat(textHeight);
  }

  long long y = rc->top;
  if (single && (format & DT_VCENTER)) {
    // Halves truncated separately: an odd cell in an even box sits one row higher.
    y = rc->top + (static_cast<long long>(rc->bottom) - rc->top) / 2 - textHeight / 2;
  } else if (single && (format & DT_BOTTOM)) {
    y = rc->bottom - textHeight;
  }
  const long long top = y;
  // The clip is the rectangle with its edges put in order, as the device clips with it;
  // the placement above keeps the rectangle as given.
  const RECT clip{std::min(rc->left, rc->right), std::min(rc->top, rc->bottom),
                  std::max(rc->left, rc->right), std::max(rc->top, rc->bottom)};
  const RECT* clipPtr = (format & DT_NOCLIP) ? nullptr : &clip;
  for (const text::Line& line : lines) {
    long long x = rc->left;
    if (format & DT_CENTER) {
      x = rc->left + (static_cast<long long>(rc->right) - rc->left - line.width) / 2;
    } else if (format & DT_RIGHT) {
      x = rc->right - static_cast<long long>(line.width);
    }
    if (!line.text.empty()) text::DrawRun(*dc, f, text::Sat(x), text::Sat(y), line.text, line.underlineAt, clipPtr);
    y += m.height;
  }
  if (single && (format & (DT_VCENTER | DT_BOTTOM))) return text::Sat(top + textHeight - rc->top);
  return text::Sat(textHeight);
}
