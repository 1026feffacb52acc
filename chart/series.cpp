// The series model: AddLine appends a line and shows its key at once; SetValue turns a
// value into a pixel row and marks the line fresh, drawing nothing.
#include <cmath>

#include "chart/line_chart.h"
#include "common/vb_error.h"

namespace kavrin {

Integer cLineChart::AddLine(const std::string& Key, Long lCr, const PictureRef& PointPic,
                            Boolean bDispPointTip, Long lTipColor) {
  // 32767 lines at most: the next number must still be an Integer (overflow 6, nothing added).
  const Integer n = AddI(LineCount(), 1);
  m_Lines.resize(static_cast<size_t>(n) + 1);
  LineData& line = m_Lines[static_cast<size_t>(n)];
  line.Color = lCr;
  // The first segment starts at the bottom row; the line starts unfresh.
  line.PrevY = m_rcWork.bottom;
  line.CurY = 0;
  line.Fresh = ToBoolean(m_bTickPhase == False);
  line.Key = Key;
  line.TipColor = lTipColor;
  line.Value = 0;
  line.PrevValue = 0;
  if (!PointPic) {
    line.HasPointPic = False;
  } else {
    line.HasPointPic = True;
    line.PointPic = std::make_unique<pcMemDC>();
    line.PointPic->CreateFromPicture(*PointPic);
  }
  line.DispPointTip = bDispPointTip;
  DrawLegend();
  return 0;
}

void cLineChart::SetValue(Integer Id, double Value) {
  if (Id < 1 || Id > LineCount()) return;
  // A NaN or infinite value has no row: overflow 6, the line keeps what it had.
  if (!std::isfinite(Value)) Raise(err::kOverflow);
  // Half to even; a row outside the Long range is overflow 6 before anything changes.
  const Long row = CLng(m_rcWork.bottom - (Value - m_dMin) * m_dScale);
  LineData& line = m_Lines[static_cast<size_t>(Id)];
  line.CurY = row;
  line.Fresh = m_bTickPhase;
  line.Value = Value;
}

}  // namespace kavrin
