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

// A colour property's value as a colour: a system colour index resolved; `fallback` for a
// value that is neither.
uint32_t Resolved(int32_t property, uint32_t fallback);

// `count` line colours for a plot of the background colour `plot` whose legend keys stand on
// `legend` (resolved colours, not system colour indexes): the palette's colours that stand
// apart from both (a contrast of 3 or more with each) in palette order, then the others by
// falling contrast with the one they stand apart from least; repeated from the start when
// more lines than palette colours are asked for.
std::vector<uint32_t> LineColorsFor(uint32_t plot, uint32_t legend, size_t count);

}  // namespace kavrin::app
