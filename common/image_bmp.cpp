// Windows bitmap files. Read: core (OS/2 1.x) and info headers up to version 5; 1, 4, 8,
// 16, 24 and 32 bits per pixel; uncompressed, bit fields, RLE8 and RLE4. Written: 24 bits
// per pixel, uncompressed.
#include <algorithm>
#include <bit>
#include <string>

#include "common/image_bmp.h"
#include "common/image_decode_internal.h"

namespace kavrin::image {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

constexpr size_t kFileHeaderSize = 14;

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  uint32_t Get(uint32_t v) const {
    if (max == 0) return 0;
    return static_cast<uint32_t>((static_cast<uint64_t>((v & mask) >> shift) * 255 + max / 2) / max);
  }
};

struct Header {
  int64_t width = 0;
  int64_t height = 0;
  bool topDown = false;
  int bpp = 0;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  bool core = false;
  uint32_t masks[3] = {0, 0, 0};
  size_t tableStart = 0;  // first byte after the header and its masks
};

Header ReadHeader(const uint8_t* d, size_t n) {
  if (n < kFileHeaderSize + 4) Fail("truncated bitmap header");
  Header h;
  const uint32_t size = U32(d + kFileHeaderSize);
  if (size != 12 && size != 40 && size != 52 && size != 56 && size != 108 && size != 124)
    Fail("unsupported bitmap header (" + std::to_string(size) + " bytes)");
  if (n < kFileHeaderSize + size) Fail("truncated bitmap header");
  const uint8_t* p = d + kFileHeaderSize;
  if (size == 12) {
    h.core = true;
    h.width = U16(p + 4);
    h.height = U16(p + 6);
    h.bpp = U16(p + 10);
  } else {
    h.width = I32(p + 4);
    const int64_t height = I32(p + 8);
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.bpp = U16(p + 14);
    h.compression = U32(p + 16);
    h.colorsUsed = U32(p + 32);
  }
  h.tableStart = kFileHeaderSize + size;

  switch (h.compression) {
    case kBiRgb:
      if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        Fail("unsupported bitmap depth (" + std::to_string(h.bpp) + " bits per pixel)");
      if (h.bpp == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
      } else if (h.bpp == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
      }
      break;
    case kBiRle8:
    case kBiRle4:
      if (h.bpp != (h.compression == kBiRle8 ? 8 : 4)) Fail("run-length bitmap with a wrong depth");
      if (h.topDown) Fail("top-down run-length bitmap");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields: {
      if (h.bpp != 16 && h.bpp != 32) Fail("bit-field bitmap with a wrong depth");
      // The masks follow a 40-byte header; later headers carry them inside.
      const size_t at = size == 40 ? h.tableStart : kFileHeaderSize + 40;
      if (size == 40) h.tableStart += h.compression == kBiAlphaBitfields ? 16 : 12;
      if (n < at + 12) Fail("truncated bitmap header");
      for (int i = 0; i < 3; ++i) h.masks[i] = U32(d + at + 4 * i);
      break;
    }
    default:
      Fail("unsupported bitmap compression (" + std::to_string(h.compression) + ")");
  }
  return h;
}

class Decoder {
 public:
  Decoder(const uint8_t* d, size_t n, const Header& h, DecodedImage& out)
      : d_(d), n_(n), h_(h), out_(out), w_(static_cast<int>(h.width)), rows_(static_cast<int>(h.height)) {}

  void ReadPalette() {
    if (h_.bpp > 8) return;
    const uint32_t full = 1u << h_.bpp;
    const uint32_t count = h_.colorsUsed == 0 || h_.colorsUsed > full ? full : h_.colorsUsed;
    const size_t entry = h_.core ? 3 : 4;
    if (h_.tableStart + count * entry > n_) Fail("truncated bitmap palette");
    // Indices beyond the stored entries show black.
    std::fill(std::begin(palette_), std::end(palette_), 0u);
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* q = d_ + h_.tableStart + i * entry;
      palette_[i] = static_cast<uint32_t>(q[0]) | (static_cast<uint32_t>(q[1]) << 8) |
                    (static_cast<uint32_t>(q[2]) << 16);
    }
  }

  void Uncompressed(size_t offset) {
    const int64_t rowBytes = (h_.width * h_.bpp + 7) / 8;
    const int64_t stride = (h_.width * h_.bpp + 31) / 32 * 4;
    if (offset > n_ || static_cast<int64_t>(n_ - offset) < stride * (h_.height - 1) + rowBytes)
      Fail("truncated bitmap data");
    const Channel r(h_.masks[0]), g(h_.masks[1]), b(h_.masks[2]);
    for (int y = 0; y < rows_; ++y) {
      const uint8_t* src = d_ + offset + stride * y;
      uint32_t* dst = Row(y);
      switch (h_.bpp) {
        case 1:
        case 4:
        case 8: {
          const int perByte = 8 / h_.bpp;
          const uint32_t mask = (1u << h_.bpp) - 1;
          for (int x = 0; x < w_; ++x) {
            const int shift = 8 - h_.bpp * (x % perByte + 1);
            dst[x] = palette_[(src[x / perByte] >> shift) & mask];
          }
          break;
        }
        case 16:
          for (int x = 0; x < w_; ++x) {
            const uint32_t v = U16(src + 2 * x);
            dst[x] = (r.Get(v) << 16) | (g.Get(v) << 8) | b.Get(v);
          }
          break;
        case 24:
          for (int x = 0; x < w_; ++x, src += 3)
            dst[x] = static_cast<uint32_t>(src[0]) | (static_cast<uint32_t>(src[1]) << 8) |
                     (static_cast<uint32_t>(src[2]) << 16);
          break;
        case 32:
          for (int x = 0; x < w_; ++x) {
            const uint32_t v = U32(src + 4 * x);
            dst[x] = (r.Get(v) << 16) | (g.Get(v) << 8) | b.Get(v);
          }
          break;
        default:
          break;
      }
    }
  }

  // Run-length data: pixels the runs skip stay black. Decoding stops at the end-of-bitmap
  // escape or when the rows are used up; data that ends before either is truncated.
  void RunLength(size_t offset) {
    const bool rle8 = h_.bpp == 8;
    size_t i = offset;
    int64_t x = 0;
    int64_t y = 0;  // counted from the bottom row
    auto need = [&](size_t k) {
      if (i > n_ || n_ - i < k) Fail("truncated bitmap data");
    };
    while (y < h_.height) {
      need(2);
      const uint8_t count = d_[i];
      const uint8_t value = d_[i + 1];
      i += 2;
      if (count > 0) {
        for (int k = 0; k < count && x + k < h_.width; ++k)
          Put(x + k, y, rle8 ? value : (k & 1 ? value & 0x0F : value >> 4));
        x += count;  // may pass the row end: later puts there are clipped
        continue;
      }
      switch (value) {
        case 0:  // end of line
          x = 0;
          ++y;
          break;
        case 1:  // end of bitmap
          return;
        case 2:  // delta
          need(2);
          x += d_[i];
          y += d_[i + 1];
          i += 2;
          break;
        default: {  // absolute run, padded to a 16-bit boundary
          const size_t bytes = rle8 ? value : (value + 1u) / 2;
          need(bytes + (bytes & 1));
          for (int k = 0; k < value; ++k) {
            const uint8_t byte = d_[i + (rle8 ? k : k / 2)];
            Put(x + k, y, rle8 ? byte : (k & 1 ? byte & 0x0F : byte >> 4));
          }
          x += value;
          i += bytes + (bytes & 1);
          break;
        }
      }
    }
  }

 private:
  uint32_t* Row(int y) {
    const int row = h_.topDown ? y : rows_ - 1 - y;
    return out_.pixels.data() + static_cast<size_t>(row) * w_;
  }
  void Put(int64_t x, int64_t y, uint32_t index) {
    if (x < h_.width && y < h_.height) Row(static_cast<int>(y))[x] = palette_[index];
  }

  const uint8_t* d_;
  size_t n_;
  const Header& h_;
  DecodedImage& out_;
  int w_;
  int rows_;
  uint32_t palette_[256] = {};
};

}  // namespace

DecodedImage DecodeBmp(const uint8_t* data, size_t size, const PictureLimits& limits) {
  const Header h = ReadHeader(data, size);
  CheckSize(h.width, h.height, limits, "bitmap");
  if (h.tableStart > size) Fail("truncated bitmap header");
  const uint32_t offBits = U32(data + 10);
  // A zero offset is taken as "right after the palette", as lenient readers do.
  size_t offset = offBits;
  if (offBits == 0) {
    const uint32_t full = h.bpp <= 8 ? 1u << h.bpp : 0;
    const uint32_t count = h.bpp > 8 ? 0 : (h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed);
    offset = h.tableStart + count * (h.core ? 3 : 4);
  }
  if (offset >= size) Fail("truncated bitmap data");

  DecodedImage out;
  out.width = static_cast<int>(h.width);
  out.height = static_cast<int>(h.height);
  out.pixels.assign(static_cast<size_t>(h.width * h.height), 0u);
  Decoder dec(data, size, h, out);
  dec.ReadPalette();
  if (h.compression == kBiRle8 || h.compression == kBiRle4)
    dec.RunLength(offset);
  else
    dec.Uncompressed(offset);
  return out;
}

}  // namespace kavrin::image

namespace kavrin {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeBitmapFile(int width, int height, const uint32_t* pixels) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  constexpr uint32_t kHeaders = image::kFileHeaderSize + 40;
  std::vector<uint8_t> out;
  out.reserve(kHeaders + imageBytes);
  // File header: "BM", file size, two reserved words, offset of the pixels.
  out.push_back('B');
  out.push_back('M');
  Put32(out, kHeaders + imageBytes);
  Put32(out, 0);
  Put32(out, kHeaders);
  // Info header; the height is positive, so rows run bottom-up.
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);   // planes
  Put16(out, 24);  // bits per pixel
  Put32(out, image::kBiRgb);
  Put32(out, imageBytes);
  Put32(out, 3780);  // 96 dpi, horizontally
  Put32(out, 3780);  // and vertically
  Put32(out, 0);     // colours used
  Put32(out, 0);     // colours important
  for (int y = height - 1; y >= 0; --y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      out.push_back(static_cast<uint8_t>(row[x]));        // blue
      out.push_back(static_cast<uint8_t>(row[x] >> 8));   // green
      out.push_back(static_cast<uint8_t>(row[x] >> 16));  // red
    }
    out.resize(out.size() + (rowBytes - static_cast<uint32_t>(width) * 3), 0);
  }
  return out;
}

}  // namespace kavrin
