// Arbitrary arguments never write outside a bitmap: random copies, stretches, fills and
// lines with extents and coordinates up to the integer limits, between surfaces of both
// formats and within one surface. Run under the sanitizers this catches any stray write
// or overflow; here it also checks that monochrome pixels stay black or white.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "tests/draw/raster_canvas.h"

namespace kavrin::test {
namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed) {}
  uint32_t Next() {
    s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(s_ >> 33);
  }
  // Mostly small values near the surfaces, sometimes the integer extremes.
  int Coord() {
    switch (Next() % 8) {
      case 0: return INT_MIN + static_cast<int>(Next() % 3);
      case 1: return INT_MAX - static_cast<int>(Next() % 3);
      case 2: return static_cast<int>(Next() % 2000000) - 1000000;
      default: return static_cast<int>(Next() % 40) - 12;
    }
  }

 private:
  uint64_t s_;
};

TEST(RasterRobustness, RandomCallsStayInsideTheirTarget) {
  Canvas colour(16, 12, false, RGB(1, 2, 3));
  Canvas mono(13, 9, true);
  // KAVRIN_RASTER_SEED and KAVRIN_RASTER_ROUNDS run other or longer sequences by hand.
  Random r(std::getenv("KAVRIN_RASTER_SEED") ? std::strtoull(std::getenv("KAVRIN_RASTER_SEED"), nullptr, 10) : 2026);
  HDC dcs[2] = {colour.dc(), mono.dc()};
  const DWORD rops[] = {SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, NOTSRCCOPY, PATCOPY, PATINVERT, DSTINVERT, 0x220326,
                        0x00B8074A};
  const int rounds = std::getenv("KAVRIN_RASTER_ROUNDS") ? std::atoi(std::getenv("KAVRIN_RASTER_ROUNDS")) : 4000;
  for (int i = 0; i < rounds; ++i) {
    HDC dst = dcs[r.Next() % 2], src = dcs[r.Next() % 2];
    const DWORD rop = rops[r.Next() % std::size(rops)];
    switch (r.Next() % 5) {
      case 0:
        BitBlt(dst, r.Coord(), r.Coord(), r.Coord(), r.Coord(), src, r.Coord(), r.Coord(), rop);
        break;
      case 1:
        StretchBlt(dst, r.Coord(), r.Coord(), r.Coord(), r.Coord(), src, r.Coord(), r.Coord(), r.Coord(), r.Coord(),
                   rop);
        break;
      case 2: {
        RECT rc{r.Coord(), r.Coord(), r.Coord(), r.Coord()};
        HBRUSH b = CreateSolidBrush(r.Next() & 0xFFFFFF);
        FillRect(dst, &rc, b);
        DeleteObject(b);
        break;
      }
      case 3: {
        PenScope pen(dst, 1 + static_cast<int>(r.Next() % 6), r.Next() & 0xFFFFFF);
        MoveToEx(dst, r.Coord(), r.Coord(), nullptr);
        LineTo(dst, r.Coord(), r.Coord());
        break;
      }
      default:
        SetPixel(dst, r.Coord(), r.Coord(), r.Next() & 0xFFFFFF);
        break;
    }
  }
  // Every mono pixel is still black or white.
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 13; ++x) {
      const COLORREF c = GetPixel(mono.dc(), x, y);
      ASSERT_TRUE(c == 0 || c == RGB(255, 255, 255)) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace kavrin::test
