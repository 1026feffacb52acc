#pragma once
// The host's picture objects (IPictureDisp) as the chart takes them: a bitmap and its size.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "draw/std_picture.h"

namespace kavrin::win32 {

// A copy of the picture's bitmap (the chart copies the picture into its own surface at
// once, so the host's object is not kept). Null for no picture; a picture without a bitmap
// (an icon, a metafile, an empty one) gives a picture of no pixels; an object that is not a
// picture raises 481.
PictureRef CopyPicture(IPictureDisp* picture);

}  // namespace kavrin::win32
