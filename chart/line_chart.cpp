// Creation, teardown and the setters of the chart engine. Every setter only stores its
// value; new settings take effect at the next Start, ReDraw or tick.
#include "chart/line_chart.h"

#include "common/vb_error.h"

namespace kavrin {

// The line table starts with element 0, which is never used: lines are numbered from 1.
cLineChart::cLineChart() : m_bTickPhase(True), m_bFirstTick(True), m_Lines(1) {}

cLineChart::~cLineChart() {
  CloseExportOnTeardown();
  for (size_t i = 1; i < m_Lines.size(); ++i) m_Lines[i].PointPic.reset();
  m_Lines.clear();
  m_oFont.reset();
  m_fTitleFont.reset();
  m_fMeasureFont.reset();
  m_fCutLineFont.reset();
}

void cLineChart::BindDc(Long v) { m_lBindDc = v; }
void cLineChart::BindWnd(Long v) { m_lBindWnd = v; }
void cLineChart::BorderWidth(Integer v) { m_iBorderWidth = v; }
void cLineChart::BorderColor(Long v) { m_lBorderColor = v; }

void cLineChart::WorkRc(const RECT& rc) {
  m_rcWork = rc;
  // Width and height must fit a Long (overflow 6); the rectangle itself is already stored.
  m_lWorkHeight = ToLong(int64_t{rc.bottom} - rc.top + 1);
  m_lWorkWidth = ToLong(int64_t{rc.right} - rc.left + 1);
}

void cLineChart::FrameRc(const RECT& rc) { m_rcFrame = rc; }
void cLineChart::Unit(const std::string& v) { m_sUnit = v; }
void cLineChart::UnitFont(const FontRef& f) { m_fUnitFont = f; }

// Only a positive zoom is taken (a NaN is not positive either).
void cLineChart::Zoom(double v) {
  if (v > 0) m_dZoom = v;
}

void cLineChart::MeasureWidth(Integer v) { m_iMeasureWidth = v; }
void cLineChart::bValueLineDsip(Boolean v) { m_bValueLineDsip = v; }
void cLineChart::bTimeLineDsip(Boolean v) { m_bTimeLineDsip = v; }
void cLineChart::CutLineFont(const FontRef& f) { m_fCutLineFont = f; }
void cLineChart::ValueLineColor(Long v) { m_lValueLineColor = v; }
void cLineChart::TimeLineColor(Long v) { m_lTimeLineColor = v; }
void cLineChart::BkGndColor(Long v) { m_lBkGndColor = v; }
void cLineChart::Min(double v) { m_dMin = v; }
void cLineChart::Max(double v) { m_dMax = v; }

// Scale sides: 0 left, 1 right, 2 both; anything else keeps the previous side.
void cLineChart::MeasurePos(Integer v) {
  if (v >= 0 && v <= 2) m_iMeasurePos = v;
}

void cLineChart::Title(const std::string& v) { m_sTitle = v; }
void cLineChart::TitleFont(const FontRef& f) { m_fTitleFont = f; }
void cLineChart::TitleColor(Long v) { m_lTitleColor = v; }

// Title positions: 0 left, 1 right, 2 top, 3 bottom; anything else keeps the previous one.
void cLineChart::TitlePos(Integer v) {
  if (v >= 0 && v <= 3) m_iTitlePos = v;
}

void cLineChart::VerValueSpace(double v) { m_dVerValueSpace = v; }
void cLineChart::MeasureFont(const FontRef& f) { m_fMeasureFont = f; }
void cLineChart::MeasureColor(Long v) { m_lMeasureColor = v; }

cFont& cLineChart::Font() {
  if (!m_oFont) m_oFont = std::make_unique<cFont>();
  return *m_oFont;
}

// A font member read while still empty gets a new default font, which then stays.
const FontRef& cLineChart::Filled(FontRef& f) {
  if (!f) f = StdFont::PlatformDefault();
  return f;
}

Long cLineChart::GridPixels() const { return CLng(m_dGridStep); }

}  // namespace kavrin
