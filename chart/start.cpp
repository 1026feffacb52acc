// Start: binds the font helper, lays out the chart, computes range, scale and grid step,
// and paints the static chart once.
#include <cmath>

#include "chart/line_chart.h"
#include "common/vb_error.h"

namespace kavrin {

void cLineChart::Start() {
  cFont& font = Font();
  font.SetBindDc(m_lBindDc);
  font.SetBindWnd(m_lBindWnd);
  font.TestPreFont();

  ReadFontMetrics();
  LayoutTitle();
  LayoutMeasure();
  LayoutLegend();
  LayoutUnit();

  // Each step is stored, then its floating-point status checked: an infinite or NaN
  // result is overflow 6. A division by zero (Max = Min) is 11, or 6 for 0 / 0, and then
  // leaves scale and grid step as they were.
  m_dRange = std::fabs(m_dMax - m_dMin);
  FCheck(m_dRange);
  const double perValue = FDiv(static_cast<double>(m_lWorkHeight), m_dRange);
  m_dScale = perValue * m_dZoom;
  FCheck(m_dScale);
  m_dGridStep = m_dScale * m_dVerValueSpace;
  FCheck(m_dGridStep);

  PaintAll();
}

}  // namespace kavrin
