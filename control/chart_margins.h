#pragma once
// The margins text (Dist: "left,right,top,bottom" in pixels) and the two rectangles the
// engine is configured with: the plot (work rectangle, inclusive edges) and the whole
// surface (frame rectangle, right and bottom inclusive).
#include <string>
#include <vector>

#include "common/numbers.h"
#include "draw/win32.h"

namespace kavrin {

struct Margins {
  Integer left = 10;
  Integer right = 10;
  Integer top = 10;
  Integer bottom = 10;
};

// Splits at every separator; items keep their blanks and empty items count ("" is one item).
std::vector<std::string> SplitItems(const std::string& text, char separator);

// The first four items in order; a numeric item (blanks, sign, fraction, exponent allowed)
// rounds half to even into its margin (6 when outside the Integer range), any other item
// leaves 10. Fewer than four items raise 9 at the first missing one; later items are ignored.
Margins ParseMargins(const std::string& dist);

// Right and bottom are the surface size minus the margin, computed in single precision and
// rounded half to even to a Long (6 when out of range).
RECT WorkRectangle(const Margins& m, float scaleWidth, float scaleHeight);
RECT FrameRectangle(float scaleWidth, float scaleHeight);

}  // namespace kavrin
