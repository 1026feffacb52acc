#pragma once
// KavrinLineChart: the control a host places on a form. It keeps the chart's 24 settings,
// owns one engine (m_Chart), rebuilds that engine from the settings at every load and
// resize, and passes data, ticks and export requests on to it.
//
// Container call order:
//  1. InitProperties (a new instance) or ReadProperties (a saved one; configures at once);
//  2. Resize: whenever the size changes, also when first shown; replaces the engine;
//  3. any property, method and WriteProperties, in any order;
//  4. Terminate: releases the engine.
// A property assignment only stores and reports the value; it reaches the engine at the
// next configuration. BackColor is the exception: it repaints at once.
#include <memory>
#include <string>

#include "common/numbers.h"
#include "common/std_font.h"
#include "control/container_site.h"
#include "control/variant.h"
#include "draw/std_picture.h"

namespace kavrin {

class cLineChart;

class KavrinLineChart {
 public:
  // The site must outlive the control.
  explicit KavrinLineChart(ContainerSite& site);
  ~KavrinLineChart();
  KavrinLineChart(const KavrinLineChart&) = delete;
  KavrinLineChart& operator=(const KavrinLineChart&) = delete;

  // Container events.
  void InitProperties();
  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag);
  void Resize();
  void Terminate();

  // Properties, in interface order. Font properties take the caller's object itself.
  Long ValueLineColor() const { return m_ValueLineColor; }
  void ValueLineColor(Long New_ValueLineColor);
  Long TimeLineColor() const { return m_TimeLineColor; }
  void TimeLineColor(Long New_TimeLineColor);
  const std::string& Title() const { return m_Title; }
  void Title(const std::string& New_Title);
  double Zoom() const { return m_Zoom; }
  void Zoom(double New_Zoom);
  const FontRef& MeasureFont() const { return m_MeasureFont; }
  void MeasureFont(const FontRef& New_MeasureFont);
  Long MeasureColor() const { return m_MeasureColor; }
  void MeasureColor(Long New_MeasureColor);
  Integer TitlePos() const { return m_TitlePos; }
  void TitlePos(Integer New_TitlePos);  // 0 to 3; anything else is ignored
  const FontRef& TitleFont() const { return m_TitleFont; }
  void TitleFont(const FontRef& New_TitleFont);
  Long TitleColor() const { return m_TitleColor; }
  void TitleColor(Long New_TitleColor);
  Integer MeasurePos() const { return m_MeasurePos; }
  void MeasurePos(Integer New_MeasurePos);  // 0 to 2; anything else is ignored
  const FontRef& CutLineFont() const { return m_CutLineFont; }
  void CutLineFont(const FontRef& New_CutLineFont);
  Boolean bValueLineDisp() const { return m_bValueLineDisp; }
  void bValueLineDisp(Boolean New_bValueLineDisp);
  Boolean bTimeLineDisp() const { return m_bTimeLineDisp; }
  void bTimeLineDisp(Boolean New_bTimeLineDisp);
  Long BackColor() const { return m_BackColor; }
  // Repaints the chart at once. Raises 380, storing and reporting nothing, for a colour the
  // surface cannot take (neither RGB nor a system colour).
  void BackColor(Long New_BackColor);
  Long ChartBackColor() const { return m_ChartBackColor; }
  void ChartBackColor(Long New_ChartBackColor);
  Integer BorderWidth() const { return m_BorderWidth; }
  void BorderWidth(Integer New_BorderWidth);
  Long BorderColor() const { return m_BorderColor; }
  void BorderColor(Long New_BorderColor);
  double ValueSpace() const { return m_ValueSpace; }
  void ValueSpace(double New_ValueSpace);
  double Min() const { return m_Min; }
  void Min(double New_Min);
  double Max() const { return m_Max; }
  void Max(double New_Max);
  Integer MeasureWidth() const { return m_MeasureWidth; }
  void MeasureWidth(Integer New_MeasureWidth);
  const std::string& Unit() const { return m_Unit; }
  void Unit(const std::string& New_Unit);
  const FontRef& UnitFont() const { return m_UnitFont; }
  void UnitFont(const FontRef& New_UnitFont);
  const std::string& Dist() const { return m_Dist; }
  void Dist(const std::string& New_Dist);  // a blank text is ignored

  // Methods. Those that reach the engine raise 91 before the first configuration.
  void SetValue(Integer Id, double Value);
  void Movie();
  void AddLine(const std::string& Key, Long lColor, const PictureRef& PointPic = nullptr,
               Boolean bDispPointTip = False, Long lTipColor = 16777215);
  // sPath comes back as the engine leaves it (with the log folder's trailing "\").
  void ExportData(Boolean bOperate, std::string& sPath, std::string& sName);
  void ExportData(Boolean bOperate);
  // The same for a caller that does not want the path written back (string literals).
  void ExportData(Boolean bOperate, const std::string& sPath, const std::string& sName);
  // True when the file was written (and is there afterwards). sPath comes back with "\" appended unless it ended in
  // "\" or "/". An empty name, a blank or missing folder, or an existing file write
  // nothing and give False; a write error is raised.
  Boolean ExportPicture(Variant& sPath, const std::string& sName);
  // The same for a caller that does not want the path written back (string literals).
  Boolean ExportPicture(const std::string& sPath, const std::string& sName);
  // Shows the About box modally; returns when it closes.
  void About();

  // The engine of the last configuration (null before the first one and after Terminate).
  const cLineChart* Chart() const { return m_Chart.get(); }

 private:
  void ConfigureChart();
  cLineChart& Engine();  // raises 91 without an engine
  FontRef AmbientFont();
  // Raises 380 for a colour that is neither an RGB value nor a known system colour.
  static void CheckBackColor(Long color);

  ContainerSite& site_;

  Long m_ValueLineColor = 0;
  Long m_TimeLineColor = 0;
  std::string m_Title;
  double m_Zoom = 0;
  FontRef m_MeasureFont;
  Long m_MeasureColor = 0;
  Integer m_TitlePos = 0;
  FontRef m_TitleFont;
  Long m_TitleColor = 0;
  Integer m_MeasurePos = 0;
  FontRef m_CutLineFont;
  Boolean m_bValueLineDisp = False;
  Boolean m_bTimeLineDisp = False;
  Long m_BackColor = 0;
  Long m_ChartBackColor = 0;
  Integer m_BorderWidth = 0;
  Long m_BorderColor = 0;
  double m_ValueSpace = 0;
  double m_Min = 0;
  double m_Max = 0;
  Integer m_MeasureWidth = 0;
  std::string m_Unit;
  FontRef m_UnitFont;
  std::string m_Dist;
  std::unique_ptr<cLineChart> m_Chart;
};

}  // namespace kavrin
