#include "tests/differential/shots.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <istream>
#include <ostream>
#include <sstream>

namespace kavrin::diff {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseColour(const std::string& hex, uint32_t* out) {
  char* end = nullptr;
  *out = static_cast<uint32_t>(std::strtoul(hex.c_str(), &end, 16));
  return end != hex.c_str() && *end == 0;
}

}  // namespace

void WriteShots(std::ostream& out, const std::vector<Shot>& shots) {
  char hex[8];
  for (const Shot& s : shots) {
    out << "shot " << (s.text ? "text" : "raster") << ' ' << s.width << ' ' << s.height;
    for (uint32_t c : {s.background, s.backdrop}) {
      std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(c & 0xFFFFFF));
      out << ' ' << hex;
    }
    out << ' ' << s.values.size();
    for (long v : s.values) out << ' ' << v;
    out << ' ' << s.name << '\n';
    std::string row;
    for (int y = 0; y < s.height; ++y) {
      row.clear();
      for (int x = 0; x < s.width; ++x) {
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(s.px[static_cast<size_t>(y) * s.width + x] & 0xFFFFFF));
        row += hex;
      }
      out << row << '\n';
    }
  }
}

bool ReadShots(std::istream& in, std::vector<Shot>* shots, std::string* error) {
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::istringstream head(line);
    std::string word, kind, bg, bd;
    Shot s;
    size_t count = 0;
    if (!(head >> word >> kind >> s.width >> s.height >> bg >> bd >> count) || word != "shot" ||
        (kind != "raster" && kind != "text") || s.width < 0 || s.height < 0 || count > 256)
      return fail("bad shot header");
    s.text = kind == "text";
    if (!ParseColour(bg, &s.background) || !ParseColour(bd, &s.backdrop)) return fail("bad colour");
    s.values.resize(count);
    for (long& v : s.values)
      if (!(head >> v)) return fail("missing value");
    head >> std::ws;
    std::getline(head, s.name);
    if (s.name.empty()) return fail("shot without a name");
    s.px.reserve(static_cast<size_t>(s.width) * s.height);
    for (int y = 0; y < s.height; ++y) {
      if (!std::getline(in, line)) return fail("missing pixel rows of " + s.name);
      ++lineNo;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() != static_cast<size_t>(s.width) * 6) return fail("bad pixel row of " + s.name);
      for (int x = 0; x < s.width; ++x) {
        uint32_t v = 0;
        for (int i = 0; i < 6; ++i) {
          const int d = HexDigit(line[static_cast<size_t>(x) * 6 + i]);
          if (d < 0) return fail("bad pixel digit in " + s.name);
          v = (v << 4) | static_cast<uint32_t>(d);
        }
        s.px.push_back(v);
      }
    }
    shots->push_back(std::move(s));
  }
  return true;
}

std::string Category(const std::string& name) { return name.substr(0, name.find('/')); }

}  // namespace kavrin::diff
