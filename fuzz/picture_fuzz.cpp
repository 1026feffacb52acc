// Feeds arbitrary bytes to the picture decoder. A refusal (run-time error 481) is the
// expected outcome for junk; anything else that escapes, a sanitizer report, a hang or
// a decoded picture that breaks its own invariants is a finding.
#include <cstdint>
#include <cstdlib>

#include "common/image_decode.h"
#include "common/vb_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Smaller bounds than a real load, so that every input decodes in milliseconds.
  kavrin::PictureLimits limits;
  limits.maxSide = 4096;
  limits.maxPixels = int64_t{1} << 22;
  try {
    const kavrin::DecodedImage img = kavrin::DecodeImage(data, size, limits);
    if (img.width < 1 || img.height < 1 || img.width > limits.maxSide || img.height > limits.maxSide ||
        img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height))
      std::abort();
    for (uint32_t px : img.pixels)
      if (px >> 24) std::abort();
  } catch (const kavrin::RuntimeError& e) {
    if (e.Number() != kavrin::err::kInvalidPicture) std::abort();
  }
  return 0;
}
