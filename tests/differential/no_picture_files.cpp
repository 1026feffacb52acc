// The Windows scenario program draws pictures it builds in memory and reads no picture
// files, so it links without the PNG and JPEG decoders (absent from the cross toolchain).
#include "common/image_decode.h"
#include "common/vb_error.h"

namespace kavrin {

DecodedImage DecodeImageFile(const std::string& path) {
  Raise(err::kFileNotFound, "File not found: " + path);
}

}  // namespace kavrin
