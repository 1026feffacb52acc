// Colours as people write them, and line colours that stand apart from the plot.
#include "apps/line_colors.h"

#include <gtest/gtest.h>

namespace kavrin::app {
namespace {

TEST(LineColors, WrittenColours) {
  // Values are blue-green-red.
  const std::pair<const char*, uint32_t> good[] = {
      {"#FF8000", 0x0080FF}, {"#ff8000", 0x0080FF}, {"#F80", 0x0088FF}, {"#000", 0},
      {"orange", 0x00A5FF},  {"Orange", 0x00A5FF},  {"grey", 0x808080}, {"gray", 0x808080},
      {"navy", 0x800000},    {"white", 0xFFFFFF},
  };
  for (const auto& [text, value] : good) EXPECT_EQ(ParseColor(text), value) << text;
  for (const char* bad : {"", "#", "#12345", "#1234567", "#GG0000", "FF8000", "oranges", "dark blue"})
    EXPECT_FALSE(ParseColor(bad).has_value()) << bad;
}

TEST(LineColors, DefaultsStandApartFromAnyBackground) {
  EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(0x0000FF, 0x0000FF), 1.0, 1e-9);
  // Worked by hand: grey 128 has the luminance ((128/255 + 0.055) / 1.055)^2.4 = 0.2159, a
  // red of 192 alone 0.2126 * 0.5271 = 0.1121.
  EXPECT_NEAR(ContrastRatio(0x808080, 0x000000), 5.317, 0.001);
  EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0x0000C0), 6.479, 0.001);
  // White plot and legend: the palette's colours of contrast 3 or more in order, then the
  // bright ones by falling contrast (orange 2.50, pink 2.15, light green 1.27, cyan 1.25,
  // yellow 1.07, white 1).
  EXPECT_EQ(LineColorsFor(0xFFFFFF, 0xFFFFFF, 19),
            (std::vector<uint32_t>{0x4040FF, 0xFF8040, 0x0070E0, 0xE05090, 0x9030D0, 0xCD0000, 0x0000C0, 0x008080,
                                   0x800080, 0x0050B0, 0x808000, 0x000000, 0x606060, 0x4080FF, 0xFF80FF, 0x80FF80,
                                   0xFFFF00, 0x00FFFF, 0xFFFFFF}));
  // Black plot and legend: the bright ones, yellow first.
  EXPECT_EQ(LineColorsFor(0x000000, 0x000000, 2), (std::vector<uint32_t>{0x00FFFF, 0xFFFF00}));
  // The chart's own: a black plot, its keys on the white margin. Only middle colours read
  // on both: light red (black 6.1, white 3.5), blue (5.7, 3.7), orange (6.5, 3.2).
  EXPECT_EQ(LineColorsFor(0x000000, 0xFFFFFF, 3), (std::vector<uint32_t>{0x4040FF, 0xFF8040, 0x0070E0}));
  // More lines than palette colours: the colours repeat.
  const auto many = LineColorsFor(0, 0xFFFFFF, 40);
  EXPECT_EQ(many[0], many[19]);
}

}  // namespace
}  // namespace kavrin::app
