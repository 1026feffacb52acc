#include "common/image_decode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/file_path.h"
#include "common/image_decode_internal.h"
#include "common/vb_error.h"

namespace kavrin {

namespace image {

void Fail(const std::string& what) { Raise(err::kInvalidPicture, "Invalid picture: " + what); }

void CheckSize(int64_t width, int64_t height, const PictureLimits& limits, const char* format) {
  if (width < 1 || height < 1)
    Fail(std::string("bad ") + format + " size " + std::to_string(width) + " x " + std::to_string(height));
  if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
    Fail(std::string(format) + " too large (" + std::to_string(width) + " x " + std::to_string(height) +
         " pixels)");
}

}  // namespace image

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// A file larger than the largest uncompressed picture plus generous headers is refused
// before it is read.
constexpr int64_t kMaxPictureFileBytes = kMaxPicturePixels * 4 + (16 << 20);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

DecodedImage DecodeImage(const uint8_t* data, size_t size) { return DecodeImage(data, size, PictureLimits{}); }

DecodedImage DecodeImage(const uint8_t* data, size_t size, const PictureLimits& limits) {
  if (data == nullptr || size == 0) image::Fail("empty picture data");
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return image::DecodeBmp(data, size, limits);
  if (size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0)
    return image::DecodePng(data, size, limits);
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
    return image::DecodeJpeg(data, size, limits);
  image::Fail("not a bitmap, PNG or JPEG file");
}

DecodedImage DecodeImageFile(const std::string& path) {
  const std::string native = NativePath(path);
  std::error_code ec;
  if (native.empty() || !std::filesystem::is_regular_file(native, ec)) Raise(err::kFileNotFound);
  const auto length = std::filesystem::file_size(native, ec);
  if (ec) Raise(err::kFileNotFound);
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(native.c_str(), "rb"));
  if (!f) Raise(err::kFileNotFound);
  if (length > static_cast<uintmax_t>(kMaxPictureFileBytes)) image::Fail("file too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f.get());
  if (got != bytes.size()) Raise(err::kDeviceIo);
  return DecodeImage(bytes.data(), bytes.size());
}

}  // namespace kavrin
