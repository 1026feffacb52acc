// PNG and JPEG decoding for the Windows build, through the system's imaging component
// (the Linux build links libpng and libjpeg instead). Windows bitmaps keep the shared
// decoder in common/. The thread has COM initialised: the control lives in its apartment.
#include <windows.h>

#include <wincodec.h>

#include "common/image_decode_internal.h"

namespace kavrin::image {

namespace {

template <typename T>
struct Ref {
  T* p = nullptr;
  ~Ref() {
    if (p) p->Release();
  }
};

DecodedImage DecodeWithImaging(const uint8_t* data, size_t size, const PictureLimits& limits, const char* format) {
  if (size > 0xFFFFFFFFu) Fail(std::string(format) + " data too large");
  Ref<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory.p))))
    Fail(std::string("no decoder for ") + format);
  Ref<IWICStream> stream;
  Ref<IWICBitmapDecoder> decoder;
  Ref<IWICBitmapFrameDecode> frame;
  Ref<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(factory.p->CreateStream(&stream.p)) ||
      FAILED(stream.p->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
      FAILED(factory.p->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder.p)) ||
      FAILED(decoder.p->GetFrame(0, &frame.p)) || FAILED(frame.p->GetSize(&width, &height)))
    Fail(std::string("damaged ") + format + " data");
  CheckSize(width, height, limits, format);
  // Transparency is blended onto white, as the Linux decoder does.
  if (FAILED(factory.p->CreateFormatConverter(&converter.p)) ||
      FAILED(converter.p->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
    Fail(std::string("damaged ") + format + " data");
  DecodedImage img;
  img.width = static_cast<int>(width);
  img.height = static_cast<int>(height);
  img.pixels.resize(static_cast<size_t>(width) * height);
  const UINT stride = width * 4;
  if (FAILED(converter.p->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(img.pixels.data()))))
    Fail(std::string("damaged ") + format + " data");
  for (uint32_t& px : img.pixels) {
    const uint32_t a = px >> 24, inv = 255 - a;
    const uint32_t r = ((px >> 16) & 0xFF) + inv;
    const uint32_t g = ((px >> 8) & 0xFF) + inv;
    const uint32_t b = (px & 0xFF) + inv;
    px = (r << 16) | (g << 8) | b;
  }
  return img;
}

}  // namespace

DecodedImage DecodePng(const uint8_t* data, size_t size, const PictureLimits& limits) {
  return DecodeWithImaging(data, size, limits, "PNG");
}

DecodedImage DecodeJpeg(const uint8_t* data, size_t size, const PictureLimits& limits) {
  return DecodeWithImaging(data, size, limits, "JPEG");
}

}  // namespace kavrin::image
