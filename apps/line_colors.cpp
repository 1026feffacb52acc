#include "apps/line_colors.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "draw/win32.h"

namespace kavrin::app {
namespace {

constexpr uint32_t Rgb(uint32_t rrggbb) {
  return ((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) | ((rrggbb >> 16) & 0xFF);
}

struct NamedColor {
  const char* name;
  uint32_t rrggbb;
};

// The sixteen basic colour names and the common extended ones.
constexpr NamedColor kNamed[] = {
    {"black", 0x000000},     {"silver", 0xC0C0C0},    {"gray", 0x808080},       {"grey", 0x808080},
    {"white", 0xFFFFFF},     {"maroon", 0x800000},    {"red", 0xFF0000},        {"purple", 0x800080},
    {"fuchsia", 0xFF00FF},   {"magenta", 0xFF00FF},   {"green", 0x008000},      {"lime", 0x00FF00},
    {"olive", 0x808000},     {"yellow", 0xFFFF00},    {"navy", 0x000080},       {"blue", 0x0000FF},
    {"teal", 0x008080},      {"aqua", 0x00FFFF},      {"cyan", 0x00FFFF},       {"orange", 0xFFA500},
    {"darkorange", 0xFF8C00}, {"gold", 0xFFD700},     {"pink", 0xFFC0CB},       {"hotpink", 0xFF69B4},
    {"brown", 0xA52A2A},     {"chocolate", 0xD2691E}, {"tan", 0xD2B48C},        {"beige", 0xF5F5DC},
    {"khaki", 0xF0E68C},     {"coral", 0xFF7F50},     {"tomato", 0xFF6347},     {"salmon", 0xFA8072},
    {"crimson", 0xDC143C},   {"darkred", 0x8B0000},   {"violet", 0xEE82EE},     {"orchid", 0xDA70D6},
    {"indigo", 0x4B0082},    {"darkblue", 0x00008B},  {"lightblue", 0xADD8E6},  {"skyblue", 0x87CEEB},
    {"steelblue", 0x4682B4}, {"dodgerblue", 0x1E90FF}, {"royalblue", 0x4169E1}, {"turquoise", 0x40E0D0},
    {"darkgreen", 0x006400}, {"lightgreen", 0x90EE90}, {"limegreen", 0x32CD32}, {"seagreen", 0x2E8B57},
    {"darkgray", 0xA9A9A9},  {"darkgrey", 0xA9A9A9},  {"lightgray", 0xD3D3D3},  {"lightgrey", 0xD3D3D3},
    {"dimgray", 0x696969},   {"dimgrey", 0x696969},
};

// Line colours in the order lines take them: bright ones that read on a dark plot first,
// then middle ones that read on a dark plot and a light legend alike (the default chart's
// black plot beside its white margin), then deep ones that read on a light plot. No deep
// green: the value grid is deep green by default.
constexpr uint32_t kPalette[] = {
    0xFFFF00, 0x00FFFF, 0xFF8040, 0xFF80FF, 0xFF4040, 0xFFFFFF, 0x4080FF, 0x80FF80,  // bright
    0xE07000, 0x9050E0, 0xD03090,                                                    // middle
    0x0000CD, 0xC00000, 0x808000, 0x800080, 0xB05000, 0x008080, 0x000000, 0x606060,  // deep
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Relative luminance of a 0x00BBGGRR colour, from its gamma-encoded channels.
double Luminance(uint32_t bgr) {
  auto linear = [](uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(bgr & 0xFF) + 0.7152 * linear((bgr >> 8) & 0xFF) + 0.0722 * linear((bgr >> 16) & 0xFF);
}

}  // namespace

std::optional<uint32_t> ParseColor(std::string_view text) {
  if (!text.empty() && text[0] == '#') {
    const std::string_view digits = text.substr(1);
    if (digits.size() != 6 && digits.size() != 3) return std::nullopt;
    uint32_t rgb = 0;
    for (char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      rgb = (rgb << (digits.size() == 3 ? 8 : 4)) | static_cast<uint32_t>(d * (digits.size() == 3 ? 17 : 1));
    }
    return Rgb(rgb);
  }
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& n : kNamed)
    if (lower == n.name) return Rgb(n.rrggbb);
  return std::nullopt;
}

uint32_t Resolved(int32_t property, uint32_t fallback) {
  COLORREF color = 0;
  if (OleTranslateColor(static_cast<OLE_COLOR>(property), nullptr, &color) != S_OK) return fallback;
  return static_cast<uint32_t>(color);
}

double ContrastRatio(uint32_t a, uint32_t b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<uint32_t> LineColorsFor(uint32_t plot, uint32_t legend, size_t count) {
  const auto contrast = [plot, legend](uint32_t c) {
    return std::min(ContrastRatio(c, plot), ContrastRatio(c, legend));
  };
  std::vector<uint32_t> order;
  std::vector<uint32_t> weak;
  for (uint32_t rgb : kPalette) (contrast(Rgb(rgb)) >= 3.0 ? order : weak).push_back(Rgb(rgb));
  std::stable_sort(weak.begin(), weak.end(), [&](uint32_t a, uint32_t b) { return contrast(a) > contrast(b); });
  order.insert(order.end(), weak.begin(), weak.end());
  std::vector<uint32_t> colors;
  for (size_t i = 0; i < count; ++i) colors.push_back(order[i % order.size()]);
  return colors;
}

}  // namespace kavrin::app
