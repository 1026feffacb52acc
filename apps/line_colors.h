#pragma once
// Colours as people write them (#RRGGBB, #RGB, common colour names) and the default
// colours of a stream's lines, chosen to stand apart from the plot's background.
// Colours here are the chart's own values: 0x00BBGGRR.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kavrin::app {

// #RRGGBB, #RGB (each digit doubled) or a colour name in any case ("orange", "DarkBlue",
// "grey" and "gray" alike); nothing for anything else.
std::optional<uint32_t> ParseColor(std::string_view text);

// The contrast ratio of two colours by their relative luminance: 1 (the same) to 21
// (black and white).
double ContrastRatio(uint32_t a, uint32_t b);

// `count` line colours for a plot of the given background colour (a resolved colour,
// not a system colour index): the palette's colours that stand apart from it (a contrast
// of 3 or more) in palette order, then the others by falling contrast; repeated from the
// start when more lines than palette colours are asked for.
std::vector<uint32_t> LineColorsFor(uint32_t background, size_t count);

}  // namespace kavrin::app
