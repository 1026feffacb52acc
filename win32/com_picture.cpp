#include "win32/com_picture.h"

#include "common/vb_error.h"

namespace kavrin::win32 {

PictureRef CopyPicture(IPictureDisp* disp) {
  if (!disp) return nullptr;
  IPicture* picture = nullptr;
  if (FAILED(disp->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)))) Raise(err::kInvalidPicture);
  SHORT type = PICTYPE_NONE;
  OLE_HANDLE handle = 0;
  const bool bitmap = SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
                      SUCCEEDED(picture->get_Handle(&handle)) && handle != 0;
  picture->Release();
  // An icon, a metafile or an empty picture: a picture of no pixels, which the chart
  // stamps as nothing.
  if (!bitmap) return std::make_shared<StdPicture>(nullptr);
  HANDLE copy = CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0);
  if (!copy) Raise(err::kOutOfMemory);
  return std::make_shared<StdPicture>(static_cast<HBITMAP>(copy));
}

}  // namespace kavrin::win32
