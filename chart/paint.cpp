// The full repaint: border, plot background, value and time grid, value scale, unit,
// title and legend, in that order (later drawings cover earlier ones; the unit and the
// legend take the text colour the drawing before them left on the surface). Margins are
// not cleared: text goes over whatever the surface holds there.
#include "chart/gdi_scope.h"
#include "chart/label_text.h"
#include "chart/line_chart.h"
#include "common/ansi_text.h"

namespace kavrin {

namespace {
COLORREF Cr(Long c) { return static_cast<COLORREF>(c); }
}  // namespace

void cLineChart::ReDraw() {
  cFont& font = Font();
  font.SetBindDc(m_lBindDc);
  font.SetBindWnd(m_lBindWnd);
  PaintAll();
}

// The drawn history is painted over; the lines' state is left as it is.
void cLineChart::PaintAll() {
  DrawBorder();
  DrawBackground();
  DrawValueLines();
  DrawTimeLines();
  DrawMeasure();
  DrawUnit();
  DrawTitle();
  DrawLegend();
}

// The exclusive form of an inclusive rectangle: Right + 1, Bottom + 1.
RECT cLineChart::IncRect(const RECT& rc) {
  RECT r = rc;
  r.right = AddL(r.right, 1);
  r.bottom = AddL(r.bottom, 1);
  return r;
}

// A segment (x1, y1, x2, y2) in the selected pen; the end pixel is not drawn.
void cLineChart::DrawLine(const RECT& s) {
  MoveToEx(Dc(), s.left, s.top, nullptr);
  LineTo(Dc(), s.right, s.bottom);
}

// Drawn from the surface's origin (0 and h) to the frame's right and bottom edges.
void cLineChart::DrawBorder() {
  if (m_iBorderWidth == 0) return;
  SelectedPen pen(Dc(), m_iBorderWidth, Cr(m_lBorderColor));
  const Long h = DivI(m_iBorderWidth, 2);
  const Long R = m_rcFrame.right;
  const Long B = m_rcFrame.bottom;
  DrawLine(RECT{h, h, R, h});
  DrawLine(RECT{h, h, h, B});
  DrawLine(RECT{SubL(R, h), 0, SubL(R, h), AddL(B, 1)});
  DrawLine(RECT{0, SubL(B, h), R, SubL(B, h)});
}

void cLineChart::DrawBackground() {
  FillSolid(Dc(), IncRect(m_rcWork), Cr(m_lBkGndColor));
}

// count uses the rounded step, the rows the exact one: the top line may lie a few rows
// above the plot. The first line is on the bottom row (the row of Min).
void cLineChart::DrawValueLines() {
  if (!m_bValueLineDsip) return;
  const Long step = GridPixels();
  const Integer count = ToInteger(DivL(m_lWorkHeight, step));
  SelectedPen pen(Dc(), 1, Cr(m_lValueLineColor));
  for (int i = 0; i <= count; ++i) {
    const Long y = CLng(m_rcWork.bottom - i * m_dGridStep);
    DrawLine(RECT{m_rcWork.left, y, AddL(m_rcWork.right, 1), y});
  }
}

// Vertical lines from the top row down to (not including) the bottom row.
void cLineChart::DrawTimeLines() {
  if (!m_bTimeLineDsip) return;
  const Long step = GridPixels();
  const Integer count = ToInteger(SubL(DivL(m_lWorkWidth, step), 1));
  SelectedPen pen(Dc(), 1, Cr(m_lTimeLineColor));
  for (int i = 0; i <= count; ++i) {
    const Long x = CLng(i * m_dGridStep + m_rcWork.left);
    DrawLine(RECT{x, m_rcWork.top, x, m_rcWork.bottom});
  }
}

// The value scale: a tick and a left-aligned label per value grid row, on the left, the
// right or both sides (left first), and the top value once more when the last grid row
// is on or below the plot's top row.
void cLineChart::DrawMeasure() {
  const Integer hh = DivI(m_iMeasureCharH, 2);
  const Long step = GridPixels();
  const Integer count = ToInteger(DivL(m_lWorkHeight, step));

  cFont& font = Font();
  font.SetDefColor(m_lMeasureColor);
  font.SetFont(Filled(m_fMeasureFont));
  font.LoadMyFont();  // stays selected until the next text drawing selects its own

  const bool left = (m_iMeasurePos == 0 || m_iMeasurePos == 2);
  const bool right = (m_iMeasurePos == 1 || m_iMeasurePos == 2);
  Integer xLeft = 0;
  Integer xRight = 0;
  if (left) xLeft = ToInteger(SubL(SubL(m_rcWork.left, 5), MulI(m_iMeasureWidth, m_iMeasureCharW)));
  if (right) xRight = ToInteger(AddL(m_rcWork.right, 5));
  const Long tickLeft0 = left ? SubL(m_rcWork.left, 3) : 0;
  const Long tickRight0 = right ? AddL(m_rcWork.right, 1) : 0;
  const Long tickRight1 = right ? AddL(m_rcWork.right, 4) : 0;

  // The ticks get a definite pen, solid, 1 pixel, in the label colour, made and released
  // here, instead of whatever pen the surface happens to hold.
  SelectedPen pen(Dc(), 1, Cr(m_lMeasureColor));

  auto mark = [&](Long y, Long labelTop, const std::string& s) {
    const int n = static_cast<int>(s.size());  // plain ASCII: characters are bytes
    if (left) {
      DrawLine(RECT{tickLeft0, y, m_rcWork.left, y});
      TextOutA(Dc(), xLeft, labelTop, s.c_str(), n);
    }
    if (right) {
      DrawLine(RECT{tickRight0, y, tickRight1, y});
      TextOutA(Dc(), xRight, labelTop, s.c_str(), n);
    }
  };

  Long y = 0;
  for (int i = 0; i <= count; ++i) {
    const double v = i * m_dVerValueSpace + m_dMin;
    const std::string s = LabelText(v);
    y = CLng(m_rcWork.bottom - i * m_dGridStep);
    mark(y, CLng(m_rcWork.bottom - i * m_dGridStep - hh), s);
  }
  if (y > SubL(m_rcWork.top, 1)) {
    mark(m_rcWork.top, SubL(m_rcWork.top, hh), LabelText(m_dMax));
  }
}

// The unit reads upwards, centred on the plot's height, in the text colour the scale
// left on the surface; the helper's escapement stays 90 until the title sets it.
void cLineChart::DrawUnit() {
  if (m_sUnit.empty()) return;
  cFont& font = Font();
  font.SetDegrees(90);
  font.SetFont(Filled(m_fUnitFont));
  font.LoadMyFont();
  RestoreFontAtEnd restore(font);
  const std::string& unit = AnsiText(m_sUnit);
  const Long n = ToLong(static_cast<int64_t>(unit.size()));  // bytes of the text as drawn
  const Long d = ToLong(int64_t{m_lWorkHeight} - int64_t{n} * m_iUnitCharW);
  TextOutA(Dc(), m_rcUnit.left, SubL(m_rcWork.bottom, DivL(d, 2)), unit.c_str(), n);
}

void cLineChart::DrawTitle() {
  cFont& font = Font();
  font.SetFont(Filled(m_fTitleFont));
  font.SetDegrees(m_iTitleDegrees);
  font.SetDefColor(m_lTitleColor);
  font.LoadMyFont();
  RestoreFontAtEnd restore(font);
  RECT rc = m_rcTitle;
  const std::string& title = AnsiText(m_sTitle);
  DrawTextA(Dc(), title.c_str(), static_cast<int>(title.size()), &rc,
            static_cast<UINT>(m_lTitleFormat));
  font.ReLoadMyFont();
  font.SetDegrees(0);  // later text is upright again
  InvalidateRect(Wnd(), &m_rcTitle, TRUE);
}

// Entry i lies at y0 + i * (cell height + 2): the first one an entry height below the
// plot's top. Keys take the surface's current text colour. Only the last entry's
// rectangles are invalidated; the others are redrawn in place.
void cLineChart::DrawLegend() {
  const Integer y0 = ToInteger(m_rcWork.top);
  cFont& font = Font();
  font.SetFont(Filled(m_fCutLineFont));
  font.LoadMyFont();
  RECT box = m_rcLegendBox;
  RECT text = m_rcLegendText;
  {
    RestoreFontAtEnd restore(font);
    const Integer n = LineCount();
    for (Integer i = 1; i <= n; ++i) {
      const LineData& line = m_Lines[static_cast<size_t>(i)];
      const Integer top = AddI(MulI(AddI(m_iCutCharH, 2), i), y0);
      box.top = top;
      box.bottom = AddI(top, m_iCutCharH);
      FillSolid(Dc(), box, Cr(line.Color));
      text.top = top;
      text.bottom = box.bottom;
      const std::string& key = AnsiText(line.Key);
      DrawTextA(Dc(), key.c_str(), static_cast<int>(key.size()), &text, 0);
      if (i == n) break;  // the loop counter must not step past 32767
    }
  }
  InvalidateRect(Wnd(), &box, TRUE);
  InvalidateRect(Wnd(), &text, TRUE);
}

}  // namespace kavrin
