#pragma once
// Writing Windows bitmap files, the counterpart of the bitmap decoder.
#include <cstdint>
#include <vector>

namespace kavrin {

// The Windows bitmap file of width x height pixels given as 0x00RRGGBB, rows top-down:
// info header, 24 bits per pixel, rows bottom-up, each padded with zero bytes to a multiple
// of four bytes, 96 dpi (3780 pixels per metre). Both sides must be positive; the Linux and
// the Windows control write these same bytes.
std::vector<uint8_t> EncodeBitmapFile(int width, int height, const uint32_t* pixels);

}  // namespace kavrin
