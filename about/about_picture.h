#pragma once
// The About picture as stored with the form: a JPEG file of 241 x 135 pixels, compiled
// into the library from about/about.jpg. The Windows control carries the same file as its
// resource ABOUT_JPEG (RCDATA) instead.
#include <cstddef>
#include <span>

namespace kavrin::about {

extern const unsigned char kAboutJpeg[];
extern const std::size_t kAboutJpegSize;

// The JPEG's bytes as this build stores them: the array above, or on Windows the resource
// of the module holding this code (empty when it has none).
std::span<const unsigned char> AboutJpeg();

constexpr int kPictureWidth = 241;
constexpr int kPictureHeight = 135;

}  // namespace kavrin::about
