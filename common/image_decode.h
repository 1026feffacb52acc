#pragma once
// Decoding of picture files (Windows bitmap, PNG, JPEG) into 32-bit pixels. Damaged,
// truncated or hostile data raises run-time error 481 with a message that says what is
// wrong; sizes are bounded before anything is allocated.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavrin {

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top-down
};

// Largest picture accepted, in pixels per side and in total.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 64LL * 1024 * 1024;

// Bounds a decode is held to; the defaults are the limits above.
struct PictureLimits {
  int maxSide = kMaxPictureSide;
  int64_t maxPixels = kMaxPicturePixels;
};

DecodedImage DecodeImage(const uint8_t* data, size_t size);
DecodedImage DecodeImage(const uint8_t* data, size_t size, const PictureLimits& limits);
// PNG transparency is blended onto white (pictures carry no alpha; magenta is the key
// colour of keyed copies). Raises 53 when the file cannot be read.
DecodedImage DecodeImageFile(const std::string& path);

}  // namespace kavrin
