// Writes the picture fuzzer's seed corpus into the folder given as the only argument.
#include <cstdio>
#include <string>

#include "fuzz/sample_images.h"

namespace {

bool Write(const std::string& dir, const std::string& name, const kavrin::samples::Bytes& b) {
  const std::string path = dir + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kavrin::samples;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = true;
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (bool topDown : {false, true}) {
      BmpOptions o;
      o.bpp = bpp;
      o.topDown = topDown;
      o.width = 7;
      o.height = 5;
      o.headerSize = topDown ? 124 : 40;
      ok &= Write(dir, "rgb" + std::to_string(bpp) + (topDown ? "_topdown" : "") + ".bmp", EncodeBmp(o));
    }
  for (int bpp : {8, 24}) {
    BmpOptions o;
    o.bpp = bpp;
    o.headerSize = 12;
    ok &= Write(dir, "core" + std::to_string(bpp) + ".bmp", EncodeBmp(o));
  }
  for (int bpp : {16, 32}) {
    BmpOptions o;
    o.bpp = bpp;
    o.compression = BmpCompression::Bitfields;
    ok &= Write(dir, "bitfields" + std::to_string(bpp) + ".bmp", EncodeBmp(o));
  }
  for (int bpp : {4, 8}) {
    BmpOptions o;
    o.bpp = bpp;
    o.width = 9;
    o.height = 4;
    o.compression = bpp == 8 ? BmpCompression::Rle8 : BmpCompression::Rle4;
    ok &= Write(dir, "rle" + std::to_string(bpp) + ".bmp", EncodeBmp(o));
  }
  ok &= Write(dir, "rgb.png", EncodePng(9, 7, false));
  ok &= Write(dir, "rgba.png", EncodePng(6, 5, true));
  ok &= Write(dir, "interlaced.png", EncodePng(11, 9, true, true));
  ok &= Write(dir, "colour.jpg", EncodeJpeg(16, 16, 0x00C04020));
  ok &= Write(dir, "grey.jpg", EncodeJpeg(9, 9, 0x80, true));
  ok &= Write(dir, "progressive.jpg", EncodeJpeg(24, 17, 0x0010F0A0, false, true));
  if (!ok) std::fprintf(stderr, "could not write the seeds into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
