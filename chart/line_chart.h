#pragma once
// cLineChart: the chart engine. It holds every chart setting, the line table with the
// newest values, and the numbers that turn a value into a pixel row; it lays out and
// paints the static chart, runs one tick per Movie call and keeps the export log.
//
// Call order:
//  1. the setters (each only stores its value);
//  2. Start: layout, range, scale, grid step, first full paint;
//  3. then, in any order: AddLine, SetValue, Movie, StartExport, ReDraw.
// The engine draws into a surface it is lent (BindDc) and invalidates a window it is lent
// (BindWnd); it owns neither. The drawn history lives only as pixels on that surface.
#include <memory>
#include <string>
#include <vector>

#include "chart/line_data.h"
#include "common/numbers.h"
#include "common/std_font.h"
#include "draw/cfont.h"
#include "draw/std_picture.h"
#include "draw/win32.h"

namespace kavrin {

class cLineChart {
 public:
  cLineChart();
  ~cLineChart();
  cLineChart(const cLineChart&) = delete;
  cLineChart& operator=(const cLineChart&) = delete;

  // Setters, in interface order.
  void BindDc(Long v);
  void BindWnd(Long v);
  void BorderWidth(Integer v);
  void BorderColor(Long v);
  void WorkRc(const RECT& rc);
  void FrameRc(const RECT& rc);
  void Unit(const std::string& v);
  void UnitFont(const FontRef& f);
  void Zoom(double v);
  void MeasureWidth(Integer v);
  void bValueLineDsip(Boolean v);
  void bTimeLineDsip(Boolean v);
  void CutLineFont(const FontRef& f);
  void ValueLineColor(Long v);
  void TimeLineColor(Long v);
  void BkGndColor(Long v);
  void Min(double v);
  void Max(double v);
  void MeasurePos(Integer v);
  void Title(const std::string& v);
  void TitleFont(const FontRef& f);
  void TitleColor(Long v);
  void TitlePos(Integer v);
  void VerValueSpace(double v);
  void MeasureFont(const FontRef& f);
  void MeasureColor(Long v);

  // Methods.
  void ReDraw();
  void Movie();
  Integer AddLine(const std::string& Key, Long lCr, const PictureRef& PointPic = nullptr,
                  Boolean bDispPointTip = False, Long lTipColor = 0);
  void SetValue(Integer Id, double Value);
  void Start();
  // sPath comes back with the trailing "\" that the log's folder path gets.
  void StartExport(Boolean b, std::string& sPath, const std::string& sName);

  // Read-only views of the state, for tests and diagnostics.
  const RECT& rcWork() const { return m_rcWork; }
  const RECT& rcFrame() const { return m_rcFrame; }
  Long lWorkWidth() const { return m_lWorkWidth; }
  Long lWorkHeight() const { return m_lWorkHeight; }
  double dZoom() const { return m_dZoom; }
  double dRange() const { return m_dRange; }
  double dScale() const { return m_dScale; }
  double dGridStep() const { return m_dGridStep; }
  Boolean bTickPhase() const { return m_bTickPhase; }
  Boolean bFirstTick() const { return m_bFirstTick; }
  Boolean bExport() const { return m_bExport; }
  const std::string& sExportBuf() const { return m_sExportBuf; }
  Integer iExportTicks() const { return m_iExportTicks; }
  Integer iMeasurePos() const { return m_iMeasurePos; }
  Integer iTitlePos() const { return m_iTitlePos; }
  Integer iTitleDegrees() const { return m_iTitleDegrees; }
  Long lTitleFormat() const { return m_lTitleFormat; }
  const RECT& rcTitle() const { return m_rcTitle; }
  const RECT& rcMeasure() const { return m_rcMeasure; }
  const RECT& rcUnit() const { return m_rcUnit; }
  const RECT& rcLegendBox() const { return m_rcLegendBox; }
  const RECT& rcLegendText() const { return m_rcLegendText; }
  Integer iLegendSide() const { return m_iLegendSide; }
  Integer iTitleCharW() const { return m_iTitleCharW; }
  Integer iTitleCharH() const { return m_iTitleCharH; }
  Integer iMeasureCharW() const { return m_iMeasureCharW; }
  Integer iMeasureCharH() const { return m_iMeasureCharH; }
  Integer iCutCharW() const { return m_iCutCharW; }
  Integer iCutCharH() const { return m_iCutCharH; }
  Integer iUnitCharW() const { return m_iUnitCharW; }
  Integer iUnitCharH() const { return m_iUnitCharH; }
  // N, the number of lines; lines are numbered 1 to N.
  Integer LineCount() const { return static_cast<Integer>(m_Lines.size() - 1); }
  const LineData& Line(Integer i) const { return m_Lines.at(static_cast<size_t>(i)); }

 private:
  // Layout (run by Start in this order).
  void ReadFontMetrics();
  void LayoutTitle();
  void LayoutMeasure();
  void LayoutLegend();
  void LayoutUnit();

  // Full repaint and static drawings.
  void PaintAll();
  static RECT IncRect(const RECT& rc);
  void DrawLine(const RECT& s);
  void DrawBorder();
  void DrawBackground();
  void DrawValueLines();
  void DrawTimeLines();
  void DrawMeasure();
  void DrawUnit();
  void DrawTitle();
  void DrawLegend();

  // The tick.
  void DrawNewStrip();
  void DrawNewSegments();
  void DrawPointPic(Integer i, RECT& seg);
  void DrawPointTip(Integer i, RECT& seg);
  void FlushExportRows();

  // Export log.
  void WriteExportHeader();
  void CloseExportOnTeardown() noexcept;

  // Helpers.
  Long GridPixels() const;  // s: the grid step rounded to whole pixels (half to even)
  cFont& Font();                            // the font helper, created on first use
  static const FontRef& Filled(FontRef& f);  // an empty font member gets the default font
  HDC Dc() const { return static_cast<HDC>(LongToHandle(m_lBindDc)); }
  HWND Wnd() const { return static_cast<HWND>(LongToHandle(m_lBindWnd)); }

  std::unique_ptr<cFont> m_oFont;
  Long m_lBindDc = 0;
  Long m_lBindWnd = 0;
  RECT m_rcWork{};
  Long m_lWorkWidth = 0;
  Long m_lWorkHeight = 0;
  RECT m_rcFrame{};
  Boolean m_bValueLineDsip = False;
  Boolean m_bTimeLineDsip = False;
  Integer m_iTitleDegrees = 0;
  double m_dZoom = 0;
  Boolean m_bTickPhase = True;
  Boolean m_bFirstTick = True;
  double m_dVerValueSpace = 0;
  double m_dGridStep = 0;
  Long m_lBkGndColor = 0;
  Long m_lValueLineColor = 0;
  Long m_lTimeLineColor = 0;
  Boolean m_bExport = False;
  FontRef m_fUnitFont;
  RECT m_rcUnit{};
  std::string m_sUnit;
  Integer m_iUnitCharW = 0;
  Integer m_iUnitCharH = 0;
  FontRef m_fMeasureFont;
  Long m_lMeasureColor = 0;
  Integer m_iMeasurePos = 0;
  Integer m_iMeasureCharW = 0;
  Integer m_iMeasureCharH = 0;
  RECT m_rcMeasure{};
  Integer m_iMeasureWidth = 0;
  double m_dMin = 0;
  double m_dMax = 0;
  double m_dRange = 0;
  double m_dScale = 0;
  FontRef m_fCutLineFont;
  RECT m_rcLegendBox{};
  RECT m_rcLegendText{};
  Integer m_iCutCharW = 0;
  Integer m_iCutCharH = 0;
  Integer m_iLegendSide = 0;
  FontRef m_fTitleFont;
  std::string m_sTitle;
  Integer m_iTitlePos = 0;
  Long m_lTitleColor = 0;
  RECT m_rcTitle{};
  Long m_lTitleFormat = 0;
  Integer m_iTitleCharW = 0;
  Integer m_iTitleCharH = 0;
  Integer m_iBorderWidth = 0;
  Long m_lBorderColor = 0;
  std::string m_sExportBuf;
  Integer m_iExportTicks = 0;
  std::vector<LineData> m_Lines;
};

}  // namespace kavrin
