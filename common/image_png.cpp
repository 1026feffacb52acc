// PNG through libpng's classic interface. libpng reports errors by a long jump, so the
// frame that sets the jump point holds only plain data and no libpng error ever unwinds
// through C++ code; the run-time error is raised after libpng has been left.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/image_decode_internal.h"

namespace kavrin::image {

namespace {

constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;  // ancillary chunks (text, ICC, ...)
constexpr png_uint_32 kMaxCachedChunks = 256;

struct PngJob {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  const PictureLimits* limits = nullptr;
  bool truncated = false;
  bool tooLarge = false;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  char message[200] = {};
};

void OnError(png_structp png, png_const_charp msg) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  std::snprintf(job->message, sizeof job->message, "%s", msg ? msg : "");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, size_t len) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  if (job->size - job->pos < len) {
    job->truncated = true;
    png_error(png, "truncated PNG data");
  }
  std::memcpy(out, job->data + job->pos, len);
  job->pos += len;
}

// Decodes into out (B, G, R, A bytes per pixel); false when libpng failed or the size is
// out of bounds.
bool Run(png_structp png, png_infop info, PngJob* job, std::vector<uint32_t>* out,
         std::vector<png_bytep>* rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, job, OnRead);
  png_set_user_limits(png, static_cast<png_uint_32>(job->limits->maxSide),
                      static_cast<png_uint_32>(job->limits->maxSide));
  png_set_chunk_cache_max(png, kMaxCachedChunks);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_read_info(png, info);
  job->width = png_get_image_width(png, info);
  job->height = png_get_image_height(png, info);
  if (job->width < 1 || job->height < 1 || job->width > static_cast<png_uint_32>(job->limits->maxSide) ||
      job->height > static_cast<png_uint_32>(job->limits->maxSide) ||
      static_cast<int64_t>(job->width) * job->height > job->limits->maxPixels) {
    job->tooLarge = true;
    return false;
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(job->width) * 4) png_error(png, "unexpected row size");
  out->assign(static_cast<size_t>(job->width) * job->height, 0u);
  rows->resize(job->height);
  for (png_uint_32 y = 0; y < job->height; ++y)
    (*rows)[y] = reinterpret_cast<png_bytep>(out->data() + static_cast<size_t>(y) * job->width);
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  return true;
}

struct ReadStruct {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadStruct() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// Blends a B, G, R, A pixel onto white and drops the alpha.
uint32_t Flatten(uint32_t bgra) {
  const uint32_t a = bgra >> 24;
  if (a == 0xFF) return bgra & 0x00FFFFFF;
  uint32_t rgb = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = (bgra >> shift) & 0xFF;
    rgb |= ((c * a + 255 * (255 - a) + 127) / 255) << shift;
  }
  return rgb;
}

}  // namespace

DecodedImage DecodePng(const uint8_t* data, size_t size, const PictureLimits& limits) {
  // The header chunk always comes first: refuse an oversized picture before libpng runs.
  if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0)
    CheckSize(png_get_uint_32(data + 16), png_get_uint_32(data + 20), limits, "PNG picture");
  PngJob job;
  job.data = data;
  job.size = size;
  job.limits = &limits;
  DecodedImage img;
  std::vector<png_bytep> rows;
  bool ok = false;
  {
    ReadStruct rs;
    rs.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (rs.png) rs.info = png_create_info_struct(rs.png);
    if (!rs.png || !rs.info) Fail("cannot start the PNG decoder");
    ok = Run(rs.png, rs.info, &job, &img.pixels, &rows);
  }
  if (job.tooLarge) CheckSize(job.width, job.height, limits, "PNG picture");
  if (job.truncated) Fail("truncated PNG data");
  if (!ok) Fail(std::string("damaged PNG data (") + job.message + ")");
  img.width = static_cast<int>(job.width);
  img.height = static_cast<int>(job.height);
  for (uint32_t& px : img.pixels) px = Flatten(px);
  return img;
}

}  // namespace kavrin::image
