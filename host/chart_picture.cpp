#include "host/chart_picture.h"

#include "common/vb_error.h"

namespace kavrin::host {

PictureRef StackedPicture(const Surface& top, const Surface* below) {
  const int width = top.Width();
  const int height = top.Height() + (below != nullptr ? below->Height() : 0);
  HBITMAP bitmap = CreateBitmap(width, height, 1, 32, nullptr);
  if (bitmap == nullptr) Raise(err::kOutOfMemory);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ displaced = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, top.Height(), top.Dc(), 0, 0, SRCCOPY);
  if (below != nullptr) BitBlt(dc, 0, top.Height(), below->Width(), below->Height(), below->Dc(), 0, 0, SRCCOPY);
  SelectObject(dc, displaced);
  DeleteDC(dc);
  return std::make_shared<StdPicture>(bitmap);
}

PictureRef LivePicture(const ControlSite& site, const KavrinLineChart& chart, const ChartHistory& history,
                       TimeStrip* strip) {
  const Surface& surface = site.GetSurface();
  if (strip == nullptr) return StackedPicture(surface, nullptr);
  strip->Draw(chart, surface.BackColor(), surface.Width(), TimeGridLines(history.Geometry()),
              [&history](int64_t tick) { return history.KeptTime(tick); });
  return StackedPicture(surface, strip->GetSurface());
}

}  // namespace kavrin::host
