#pragma once
// Shared by the picture decoders: failure reporting, size checks, little-endian reads.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/image_decode.h"

namespace kavrin::image {

// Raises 481 with "Invalid picture: " + what.
[[noreturn]] void Fail(const std::string& what);

// Raises 481 unless 1 <= width, height <= maxSide and width * height <= maxPixels.
void CheckSize(int64_t width, int64_t height, const PictureLimits& limits, const char* format);

inline uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

DecodedImage DecodeBmp(const uint8_t* data, size_t size, const PictureLimits& limits);
DecodedImage DecodePng(const uint8_t* data, size_t size, const PictureLimits& limits);
DecodedImage DecodeJpeg(const uint8_t* data, size_t size, const PictureLimits& limits);

}  // namespace kavrin::image
