#pragma once
// The About picture as stored with the form: a JPEG file of 241 x 135 pixels, compiled
// into the library from about/about.jpg.
#include <cstddef>

namespace kavrin::about {

extern const unsigned char kAboutJpeg[];
extern const std::size_t kAboutJpegSize;

constexpr int kPictureWidth = 241;
constexpr int kPictureHeight = 135;

}  // namespace kavrin::about
