#pragma once
// Inside the Linux drawing layer: one line of text put on a DC, shared by TextOutA and
// DrawTextA.
#include <string>

#include "draw/gdi_internal.h"
#include "draw/text_fonts.h"

namespace kavrin::gdi::text {

// The font a DC draws with (its selected font, else the system font) and its description.
struct DcFont {
  RealizedFont* font = nullptr;
  LOGFONTA lf{};
};
DcFont FontOf(DcObj& dc);

// Width in pixels of the upright run (sum of the advances), saturated to the int range.
int RunWidth(RealizedFont& font, const std::u32string& text);

// Draws one run with the top-left of its first cell at (x, y) before the font's
// escapement turns it counter-clockwise about that point; in OPAQUE mode the cells are
// filled with the background colour first. underlineAt is the index of one character
// to underline (the "&x" prefix), or -1. clip is an exclusive rectangle or null.
void DrawRun(DcObj& dc, const DcFont& f, int x, int y, const std::u32string& text, int underlineAt,
             const RECT* clip);

}  // namespace kavrin::gdi::text
