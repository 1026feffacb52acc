// JPEG through libjpeg-turbo. Its fatal errors leave by a long jump to a frame holding
// only plain data; its "premature end" warning counts as truncation. Memory and the
// number of progressive scans are bounded so hostile files cannot run away.
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <vector>

#include "common/image_decode_internal.h"

namespace kavrin::image {

namespace {

constexpr long kMaxDecoderMemory = 1L << 30;
// Encoders write about ten progressive scans; each scan walks the whole picture, so a
// file of thousands of tiny scans would take minutes on a large picture.
constexpr int kMaxScans = 100;

struct JpegJob {
  jpeg_error_mgr err{};  // first member: the library hands back this pointer
  jpeg_progress_mgr progress{};
  std::jmp_buf jump{};
  const PictureLimits* limits = nullptr;
  bool truncated = false;
  bool tooLarge = false;
  bool tooManyScans = false;
  JDIMENSION width = 0;
  JDIMENSION height = 0;
  char message[JMSG_LENGTH_MAX] = {};
};

void OnErrorExit(j_common_ptr cinfo) {
  auto* job = reinterpret_cast<JpegJob*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, job->message);
  std::longjmp(job->jump, 1);
}

void OnEmit(j_common_ptr cinfo, int level) {
  auto* job = reinterpret_cast<JpegJob*>(cinfo->err);
  // Level -1 is a warning about corrupt data; only the missing end of file is fatal here.
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
    job->truncated = true;
    std::longjmp(job->jump, 1);
  }
}

void OnOutputMessage(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) {
    reinterpret_cast<JpegJob*>(cinfo->err)->tooManyScans = true;
    std::longjmp(reinterpret_cast<JpegJob*>(cinfo->err)->jump, 1);
  }
}

// Decodes into out as B, G, R, X bytes; false when the library failed or the size is
// out of bounds.
bool Run(jpeg_decompress_struct* cinfo, JpegJob* job, const uint8_t* data, size_t size,
         std::vector<uint32_t>* out, std::vector<uint8_t>* cmyk) {
  if (setjmp(job->jump)) return false;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kMaxDecoderMemory;
  cinfo->progress = &job->progress;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  job->width = cinfo->image_width;
  job->height = cinfo->image_height;
  if (job->width < 1 || job->height < 1 || job->width > static_cast<JDIMENSION>(job->limits->maxSide) ||
      job->height > static_cast<JDIMENSION>(job->limits->maxSide) ||
      static_cast<int64_t>(job->width) * job->height > job->limits->maxPixels) {
    job->tooLarge = true;
    return false;
  }
  const bool inkColours = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = inkColours ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_width != job->width || cinfo->output_height != job->height || cinfo->output_components != 4)
    ERREXIT(cinfo, JERR_BAD_IN_COLORSPACE);
  out->assign(static_cast<size_t>(job->width) * job->height, 0u);
  if (inkColours) cmyk->resize(static_cast<size_t>(job->width) * 4);
  while (cinfo->output_scanline < cinfo->output_height) {
    const JDIMENSION y = cinfo->output_scanline;
    uint32_t* row = out->data() + static_cast<size_t>(y) * job->width;
    JSAMPROW sample = inkColours ? cmyk->data() : reinterpret_cast<JSAMPROW>(row);
    if (jpeg_read_scanlines(cinfo, &sample, 1) != 1) ERREXIT(cinfo, JERR_INPUT_EOF);
    if (!inkColours) continue;
    // Adobe writers store the inks inverted; others store them plainly.
    const bool inverted = cinfo->saw_Adobe_marker;
    for (JDIMENSION x = 0; x < job->width; ++x) {
      const uint8_t* p = cmyk->data() + 4 * static_cast<size_t>(x);
      uint32_t c = p[0], m = p[1], ye = p[2], k = p[3];
      if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
      const uint32_t r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (ye * k + 127) / 255;
      row[x] = (r << 16) | (g << 8) | b;
    }
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

DecodedImage DecodeJpeg(const uint8_t* data, size_t size, const PictureLimits& limits) {
  JpegJob job;
  job.limits = &limits;
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&job.err);
  job.err.error_exit = OnErrorExit;
  job.err.emit_message = OnEmit;
  job.err.output_message = OnOutputMessage;
  job.progress.progress_monitor = OnProgress;
  DecodedImage img;
  std::vector<uint8_t> cmyk;
  bool ok = false;
  try {
    ok = Run(&cinfo, &job, data, size, &img.pixels, &cmyk);
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    throw;
  }
  jpeg_destroy_decompress(&cinfo);
  if (job.tooLarge) CheckSize(job.width, job.height, limits, "JPEG picture");
  if (job.truncated) Fail("truncated JPEG data");
  if (job.tooManyScans) Fail("JPEG data with too many scans");
  if (!ok) Fail(std::string("damaged JPEG data (") + job.message + ")");
  img.width = static_cast<int>(job.width);
  img.height = static_cast<int>(job.height);
  for (uint32_t& px : img.pixels) px &= 0x00FFFFFF;
  return img;
}

}  // namespace kavrin::image
