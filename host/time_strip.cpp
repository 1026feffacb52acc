#include "host/time_strip.h"

namespace kavrin::host {

TimeStrip::TimeStrip() = default;

TimeStrip::~TimeStrip() = default;

void TimeStrip::Draw(const KavrinLineChart& chart, COLORREF back, int width, const std::vector<TimeGridLine>& lines,
                     const TimeOfTick& timeOf) {
  if (!surface_) {
    surface_ = std::make_unique<Surface>(width, 1, back);
    font_ = std::make_unique<cFont>();
    font_->SetBindDc(HandleToLong(surface_->Dc()));
  }
  HDC dc = surface_->Dc();
  // A copy: the font helper settles the weight of the object it is given.
  font_->SetFont(chart.MeasureFont() ? chart.MeasureFont()->Clone() : nullptr);
  font_->LoadMyFont();
  const int textHeight = font_->GetFontH();
  const int height = kMarkHeight + 1 + textHeight + 2;
  if (surface_->Width() != width || surface_->Height() != height) surface_->Resize(width, height);
  surface_->SetBackColor(back);

  labels_ = LayoutTimeLabels(
      lines, timeOf,
      [dc](const std::string& text) {
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
      },
      width);

  HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(chart.TimeLineColor()));
  HGDIOBJ displaced = SelectObject(dc, pen);
  font_->SetDefColor(chart.MeasureColor());
  for (const TimeLabel& l : labels_) {
    MoveToEx(dc, l.x, 0, nullptr);
    LineTo(dc, l.x, kMarkHeight);
    TextOutA(dc, l.left, kMarkHeight + 1, l.text.c_str(), static_cast<int>(l.text.size()));
  }
  SelectObject(dc, displaced);
  DeleteObject(pen);
  font_->RestoreSysFont();
}

}  // namespace kavrin::host
