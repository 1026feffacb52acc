#pragma once
// A shot is the picture one drawing scenario leaves on its surface: its name, whether it
// holds text (compared by ink extent rather than pixel for pixel), its pixels and a few
// values the calls returned. Both the Windows program and the Linux side write and read
// shots in the same plain text form, so that one file holds all shots of one run.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace kavrin::diff {

struct Shot {
  std::string name;           // unique within a run; a category, a slash, then the case
  bool text = false;          // text: compared by the box of ink, not pixel for pixel
  int width = 0;
  int height = 0;
  std::vector<uint32_t> px;   // COLORREF values, rows top-down
  std::vector<long> values;   // results of calls worth comparing (e.g. DrawTextA's height)
  uint32_t background = 0;    // the fill the scenario started from (what is not ink)
  uint32_t backdrop = 0;      // text: the colour an opaque background paints (not glyph ink)
};

// File form, one shot after another:
//   shot <raster|text> <width> <height> <background hex> <backdrop hex> <count> <values...> <name>
//   <height lines of width pixels, each 6 hex digits BBGGRR, no separators>
void WriteShots(std::ostream& out, const std::vector<Shot>& shots);
// False (with a reason) for a malformed file.
bool ReadShots(std::istream& in, std::vector<Shot>* shots, std::string* error);

// The category of a shot: its name up to the first slash.
std::string Category(const std::string& name);

}  // namespace kavrin::diff
