// Layout: where title, value-scale labels, legend and unit go, from the work and frame
// rectangles and the measured fonts. Positions are Long, character metrics Integer; every
// sum and product is overflow-checked (6), and "\ 2" truncates towards zero.
#include "chart/label_text.h"
#include "chart/line_chart.h"

namespace kavrin {

namespace {

// Characters, not bytes, of a UTF-8 text.
Long CharCount(const std::string& s) {
  int64_t n = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return ToLong(n);
}

}  // namespace

void cLineChart::ReadFontMetrics() {
  cFont& font = Font();
  struct Metric {
    FontRef& font;
    Integer& w;
    Integer& h;
  };
  Metric metrics[] = {{m_fTitleFont, m_iTitleCharW, m_iTitleCharH},
                      {m_fMeasureFont, m_iMeasureCharW, m_iMeasureCharH},
                      {m_fCutLineFont, m_iCutCharW, m_iCutCharH},
                      {m_fUnitFont, m_iUnitCharW, m_iUnitCharH}};
  for (Metric& m : metrics) {
    font.SetFont(Filled(m.font));
    font.SetDegrees(0);
    font.LoadMyFont();
    m.w = font.GetFontW();
    m.h = font.GetFontH();
    font.RestoreSysFont();
  }
}

void cLineChart::LayoutTitle() {
  // The band between frame and plot on the title's side.
  RECT r = m_rcFrame;
  switch (m_iTitlePos) {
    case 0: r.right = SubL(m_rcWork.left, 1); break;
    case 1: r.left = AddL(m_rcWork.right, 1); break;
    case 2: r.bottom = SubL(m_rcWork.top, 1); break;
    case 3: r.top = AddL(m_rcWork.bottom, 1); break;
    default: break;
  }

  // A scale on the title's side keeps room for its labels (estimated from the top value
  // only) and for the unit column.
  if (m_iMeasurePos == m_iTitlePos && (m_iTitlePos == 0 || m_iTitlePos == 1)) {
    const Long w = MulL(CharCount(LabelText(m_dMax)), m_iMeasureCharW);
    if (m_iTitlePos == 0) {
      r.right = SubL(SubL(SubL(m_rcWork.left, 5), w), 1);
      if (!m_sUnit.empty()) r.right = SubL(SubL(r.right, 5), m_iUnitCharH);
    } else {
      r.left = AddL(AddL(AddL(m_rcWork.right, 5), w), 1);
      if (!m_sUnit.empty()) r.left = AddL(AddL(r.left, 5), m_iUnitCharH);
    }
  }

  const Integer tw = ToInteger(MulL(CharCount(m_sTitle), m_iTitleCharW));
  const Integer h = m_iTitleCharH;

  // A side title is drawn bottom-aligned and turned by 90 degrees: it starts at
  // (Left, Bottom - h) and runs upwards, centred on the band and on the surface height
  // (Bottom \ 2 taken from a top edge at 0). The left band starts at 0, so
  // Left + Right \ 2 is its middle.
  switch (m_iTitlePos) {
    case 0:
      m_lTitleFormat = DT_SINGLELINE | DT_BOTTOM | DT_LEFT;  // 40
      m_iTitleDegrees = 90;
      r.left = AddL(r.left, SubL(DivL(r.right, 2), DivL(h, 2)));
      r.bottom = AddL(SubL(r.bottom, SubL(DivL(r.bottom, 2), DivL(tw, 2))), h);
      break;
    case 1:
      m_lTitleFormat = DT_SINGLELINE | DT_BOTTOM | DT_LEFT;  // 40
      m_iTitleDegrees = 90;
      r.left = SubL(AddL(r.left, DivL(SubL(r.right, r.left), 2)), DivL(h, 2));
      r.bottom = AddL(SubL(r.bottom, SubL(DivL(r.bottom, 2), DivL(tw, 2))), h);
      break;
    default:
      // Top or bottom: one line centred in the whole band.
      m_iTitleDegrees = 0;
      m_lTitleFormat = DT_SINGLELINE | DT_VCENTER | DT_CENTER;  // 37
      break;
  }
  m_rcTitle = r;
}

// Only Left and Right of the label column are laid out; a scale on both sides changes
// nothing (its labels are placed from the work rectangle when drawn).
void cLineChart::LayoutMeasure() {
  switch (m_iMeasurePos) {
    case 0:
      m_rcMeasure.left = SubL(SubL(m_rcWork.left, 5), MulI(m_iMeasureWidth, m_iMeasureCharW));
      m_rcMeasure.right = SubL(m_rcWork.left, 5);
      break;
    case 1:
      m_rcMeasure.left = AddL(m_rcWork.right, 5);
      m_rcMeasure.right = AddL(AddL(m_rcWork.right, 5), MulI(m_iMeasureWidth, m_iMeasureCharW));
      break;
    default: break;
  }
}

// The legend goes opposite a right-hand title, else to the right. Boxes are 8 pixels
// wide (less where the scale, the unit or the frame cuts them), keys start 2 pixels after
// them. A unit drawn on the legend's side keeps its own column: at the right the legend
// follows it, at the left the keys end 5 pixels before it.
void cLineChart::LayoutLegend() {
  m_iLegendSide = (m_iTitlePos == 1) ? 0 : 1;
  m_rcLegendBox.top = m_rcWork.top;
  m_rcLegendBox.bottom = m_rcWork.bottom;
  m_rcLegendText.top = m_rcWork.top;
  m_rcLegendText.bottom = m_rcWork.bottom;

  // A scale on both sides (2) never counts as the legend's side.
  const bool scaleHere = (m_iMeasurePos == m_iLegendSide);
  // The room the unit column takes beyond the labels: 5 pixels and the unit's cell height.
  // At the left the unit goes with a scale on the left or on both sides.
  const bool unitHere = !m_sUnit.empty() && (scaleHere || (m_iLegendSide == 0 && m_iMeasurePos == 2));
  const Long unitRoom = unitHere ? AddL(5, m_iUnitCharH) : 0;
  if (m_iLegendSide == 0) {
    m_rcLegendBox.left = 5;
    m_rcLegendBox.right = 13;
    if (scaleHere || unitHere) {
      const Long labels = scaleHere ? m_rcMeasure.left
                                    : SubL(SubL(m_rcWork.left, 5), MulI(m_iMeasureWidth, m_iMeasureCharW));
      const Long edge = SubL(labels, unitRoom);  // the labels', or the unit's, left edge
      if (13 > edge) m_rcLegendBox.right = SubL(edge, 1);
      m_rcLegendText.left = AddL(m_rcLegendBox.right, 2);
      m_rcLegendText.right = SubL(edge, 5);
    } else {
      m_rcLegendText.left = 15;
      m_rcLegendText.right = SubL(m_rcWork.left, 5);
    }
  } else {
    if (scaleHere) {
      m_rcLegendBox.left = AddL(AddL(m_rcMeasure.right, 5), unitRoom);
      m_rcLegendBox.right = AddL(m_rcLegendBox.left, 8);
      if (m_rcLegendBox.right > m_rcFrame.right) m_rcLegendBox.right = SubL(m_rcFrame.right, 1);
      m_rcLegendText.left = AddL(m_rcLegendBox.right, 2);
      m_rcLegendText.right = SubL(m_rcFrame.right, 1);
    } else {
      m_rcLegendBox.left = AddL(m_rcWork.right, 5);
      m_rcLegendBox.right = AddL(m_rcLegendBox.left, 8);
      m_rcLegendText.left = AddL(m_rcLegendBox.right, 2);
      m_rcLegendText.right = SubL(m_rcFrame.right, 5);
    }
  }
}

// The unit is a column as wide as the unit font's cell height, beside the value scale:
//  - scale at the left: 5 pixels left of the label column;
//  - scale at the right: 5 pixels right of the label column, in the room the title layout
//    keeps there for it (not inside the plot, where the scrolling would carry it away);
//  - scale on both sides: at the left, where a left scale would put it (the label column
//    is not laid out for this case, so it is measured from the plot here).
// Top and Bottom are the plot's. Laid out whether or not there is a unit text.
void cLineChart::LayoutUnit() {
  Long left = 0;
  Long right = 0;
  switch (m_iMeasurePos) {
    case 0:
      left = SubL(SubL(m_rcMeasure.left, 5), m_iUnitCharH);
      right = SubL(m_rcMeasure.left, 5);
      break;
    case 1:
      left = AddL(m_rcMeasure.right, 5);
      right = AddL(left, m_iUnitCharH);
      break;
    default: {
      const Long labels = SubL(SubL(m_rcWork.left, 5), MulI(m_iMeasureWidth, m_iMeasureCharW));
      left = SubL(SubL(labels, 5), m_iUnitCharH);
      right = AddL(left, m_iUnitCharH);
      break;
    }
  }
  m_rcUnit = RECT{left, m_rcWork.top, right, m_rcWork.bottom};
}

}  // namespace kavrin
