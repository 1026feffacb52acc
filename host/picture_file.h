#pragma once
// Saving a picture as a Windows bitmap file: 24 bits per pixel, BI_RGB, rows bottom-up,
// each row padded to a multiple of four bytes. The file is created new: an existing file is
// never replaced. Folders in the path may be separated by "\\" or "/".
#include <string>

#include "draw/std_picture.h"

namespace kavrin::host {

// Raises 91 for a null picture, 58 when a file of that name exists, 75 when the file cannot
// be created, 61 when the disk is full and 57 for any other write failure (the partial file
// is removed).
void SavePictureFile(const PictureRef& picture, const std::string& path);

}  // namespace kavrin::host
