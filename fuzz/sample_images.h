#pragma once
// Small valid pictures of every kind the decoder reads, written from a pixel pattern:
// the decoder tests check them and the fuzzer starts its corpus from them.
#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kavrin::samples {

using Bytes = std::vector<uint8_t>;

// The test pattern: palette colour i and the index at (x, y) for depths up to 8 bits.
inline uint32_t PaletteColor(int i) {
  return static_cast<uint32_t>(((i * 37) & 0xFF) << 16 | ((i * 91 + 11) & 0xFF) << 8 | ((255 - i * 53) & 0xFF));
}
inline int PatternIndex(int x, int y, int colors) { return (x + 3 * y) % colors; }
// A true-colour pattern 0x00RRGGBB.
inline uint32_t PatternColor(int x, int y) {
  return static_cast<uint32_t>((x * 40 + 7) & 0xFF) << 16 | static_cast<uint32_t>((y * 60 + 3) & 0xFF) << 8 |
         static_cast<uint32_t>((x * y * 17 + 100) & 0xFF);
}

inline void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

enum class BmpCompression { Rgb = 0, Rle8 = 1, Rle4 = 2, Bitfields = 3 };

struct BmpOptions {
  int width = 5;
  int height = 3;
  int bpp = 24;
  bool topDown = false;
  BmpCompression compression = BmpCompression::Rgb;
  uint32_t headerSize = 40;  // 12, 40, 108 or 124
};

// The colour a sample bitmap of these options shows at (x, y).
inline uint32_t ExpectedBmpPixel(const BmpOptions& o, int x, int y) {
  if (o.bpp <= 8) return PaletteColor(PatternIndex(x, y, 1 << o.bpp));
  const uint32_t c = PatternColor(x, y);
  if (o.bpp != 16) return c;
  // 5 bits per channel, scaled back to 8 bits with rounding.
  uint32_t out = 0;
  for (int s = 0; s < 24; s += 8) out |= (((((c >> s) & 0xFF) >> 3) * 255 + 15) / 31) << s;
  return out;
}

// Run-length rows (bottom-up): runs of equal indices, end of line after each row.
inline Bytes RunLengthBits(const BmpOptions& o) {
  Bytes out;
  const int colors = 1 << o.bpp;
  for (int row = 0; row < o.height; ++row) {
    const int y = o.height - 1 - row;
    for (int x = 0; x < o.width;) {
      const int v = PatternIndex(x, y, colors);
      if (o.bpp == 8) {
        int n = 1;
        while (x + n < o.width && n < 255 && PatternIndex(x + n, y, colors) == v) ++n;
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(v));
        x += n;
      } else {
        // Two pixels per run byte; a last odd pixel makes a run of one.
        const int v2 = x + 1 < o.width ? PatternIndex(x + 1, y, colors) : 0;
        const int n = x + 1 < o.width ? 2 : 1;
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(v << 4 | v2));
        x += n;
      }
    }
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(0);
  out.push_back(1);
  return out;
}

inline Bytes EncodeBmp(const BmpOptions& o) {
  const bool core = o.headerSize == 12;
  const bool paletted = o.bpp <= 8;
  const int colors = paletted ? 1 << o.bpp : 0;
  const size_t masks = (o.compression == BmpCompression::Bitfields && o.headerSize == 40) ? 12 : 0;
  const size_t table = 14 + o.headerSize + masks;
  const size_t offBits = table + static_cast<size_t>(colors) * (core ? 3 : 4);
  const size_t stride = (static_cast<size_t>(o.width) * o.bpp + 31) / 32 * 4;
  Bytes bits;
  if (o.compression == BmpCompression::Rle8 || o.compression == BmpCompression::Rle4) {
    bits = RunLengthBits(o);
  } else {
    bits.assign(stride * o.height, 0);
    for (int row = 0; row < o.height; ++row) {
      const int y = o.topDown ? row : o.height - 1 - row;
      uint8_t* p = bits.data() + stride * row;
      for (int x = 0; x < o.width; ++x) {
        const uint32_t c = PatternColor(x, y);
        switch (o.bpp) {
          case 1:
          case 4:
          case 8: {
            const int per = 8 / o.bpp;
            p[x / per] |= static_cast<uint8_t>(PatternIndex(x, y, colors) << (8 - o.bpp * (x % per + 1)));
            break;
          }
          case 16: {
            const uint32_t v = ((c >> 19) & 0x1F) << 10 | ((c >> 11) & 0x1F) << 5 | ((c >> 3) & 0x1F);
            p[2 * x] = static_cast<uint8_t>(v);
            p[2 * x + 1] = static_cast<uint8_t>(v >> 8);
            break;
          }
          case 24:
            p[3 * x] = static_cast<uint8_t>(c);
            p[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            p[3 * x + 2] = static_cast<uint8_t>(c >> 16);
            break;
          case 32:
            // Bit fields put red in the low byte, to prove the masks are honoured.
            if (o.compression == BmpCompression::Bitfields) {
              p[4 * x] = static_cast<uint8_t>(c >> 16);
              p[4 * x + 1] = static_cast<uint8_t>(c >> 8);
              p[4 * x + 2] = static_cast<uint8_t>(c);
            } else {
              p[4 * x] = static_cast<uint8_t>(c);
              p[4 * x + 1] = static_cast<uint8_t>(c >> 8);
              p[4 * x + 2] = static_cast<uint8_t>(c >> 16);
            }
            p[4 * x + 3] = 0x80;  // alpha is ignored
            break;
          default:
            break;
        }
      }
    }
  }
  Bytes f = {'B', 'M'};
  f.resize(offBits + bits.size(), 0);
  Put32(f, 2, static_cast<uint32_t>(f.size()));
  Put32(f, 10, static_cast<uint32_t>(offBits));
  Put32(f, 14, o.headerSize);
  if (core) {
    Put16(f, 18, static_cast<uint32_t>(o.width));
    Put16(f, 20, static_cast<uint32_t>(o.height));
    Put16(f, 22, 1);
    Put16(f, 24, static_cast<uint32_t>(o.bpp));
  } else {
    Put32(f, 18, static_cast<uint32_t>(o.width));
    Put32(f, 22, static_cast<uint32_t>(o.topDown ? -o.height : o.height));
    Put16(f, 26, 1);
    Put16(f, 28, static_cast<uint32_t>(o.bpp));
    Put32(f, 30, static_cast<uint32_t>(o.compression));
    Put32(f, 34, static_cast<uint32_t>(bits.size()));
    Put32(f, 46, static_cast<uint32_t>(colors));
    if (o.compression == BmpCompression::Bitfields) {
      const bool swapped = o.bpp == 32;
      const uint32_t m[3] = {swapped ? 0xFFu : 0x7C00u, swapped ? 0xFF00u : 0x03E0u,
                             swapped ? 0xFF0000u : 0x001Fu};
      for (int i = 0; i < 3; ++i) Put32(f, 14 + 40 + 4 * i, m[i]);
    }
  }
  for (int i = 0; i < colors; ++i) {
    const uint32_t c = PaletteColor(i);
    const size_t at = table + static_cast<size_t>(i) * (core ? 3 : 4);
    f[at] = static_cast<uint8_t>(c);
    f[at + 1] = static_cast<uint8_t>(c >> 8);
    f[at + 2] = static_cast<uint8_t>(c >> 16);
  }
  std::memcpy(f.data() + offBits, bits.data(), bits.size());
  return f;
}

// A PNG of the true-colour pattern; with alpha, pixel (x, y) has alpha (x * 60) & 0xFF.
inline Bytes EncodePng(int width, int height, bool alpha, bool interlaced = false) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::abort();
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t len) {
        auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + len);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = alpha ? 4 : 3;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * channels);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows[y] = pixels.data() + static_cast<size_t>(y) * width * channels;
    for (int x = 0; x < width; ++x) {
      const uint32_t c = PatternColor(x, y);
      uint8_t* p = rows[y] + x * channels;
      p[0] = static_cast<uint8_t>(c >> 16);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c);
      if (alpha) p[3] = static_cast<uint8_t>((x * 60) & 0xFF);
    }
  }
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A JPEG of flat colour c (0x00RRGGBB), or of grey level c & 0xFF when gray is set.
// bandScans > 0 makes a progressive file of one DC scan and then, per component, one
// scan for each of the first bandScans AC coefficients (the rest are left at zero).
inline Bytes EncodeJpeg(int width, int height, uint32_t c, bool gray = false, bool progressive = false,
                        int quality = 95, int bandScans = 0) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buf = nullptr;
  unsigned long len = 0;
  jpeg_mem_dest(&cinfo, &buf, &len);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = gray ? 1 : 3;
  cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  std::vector<jpeg_scan_info> script;
  if (bandScans > 0) {
    jpeg_scan_info dc{};
    dc.comps_in_scan = cinfo.num_components;
    for (int i = 0; i < cinfo.num_components; ++i) dc.component_index[i] = i;
    script.push_back(dc);
    for (int comp = 0; comp < cinfo.num_components; ++comp)
      for (int k = 1; k <= bandScans && k < 64; ++k) {
        jpeg_scan_info ac{};
        ac.comps_in_scan = 1;
        ac.component_index[0] = comp;
        ac.Ss = k;
        ac.Se = k;
        script.push_back(ac);
      }
    cinfo.scan_info = script.data();
    cinfo.num_scans = static_cast<int>(script.size());
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * (gray ? 1 : 3));
  for (int x = 0; x < width; ++x) {
    if (gray) {
      row[x] = static_cast<uint8_t>(c);
    } else {
      row[3 * x] = static_cast<uint8_t>(c >> 16);
      row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(c);
    }
  }
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buf, buf + len);
  jpeg_destroy_compress(&cinfo);
  std::free(buf);
  return out;
}

}  // namespace kavrin::samples
