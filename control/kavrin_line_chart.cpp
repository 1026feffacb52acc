#include "control/kavrin_line_chart.h"

#include <cstdio>

#include "about/frm_about.h"
#include "chart/line_chart.h"
#include "common/ansi_text.h"
#include "common/vb_error.h"
#include "control/chart_margins.h"
#include "draw/win32.h"

namespace kavrin {

namespace {

// Values of a newly placed instance.
constexpr Long kDefValueLineColor = 32768;  // RGB(0,128,0)
constexpr Long kDefTimeLineColor = 32768;
constexpr const char* kDefTitle = "Kavrin Line Chart";
constexpr double kDefZoom = 1;
constexpr Long kDefMeasureColor = 192;  // RGB(192,0,0)
constexpr Integer kDefTitlePos = 3;     // bottom
constexpr Long kDefTitleColor = 0;
constexpr Integer kDefMeasurePos = 0;   // left
constexpr Long kDefBackColor = 16777215;
constexpr Long kDefChartBackColor = 0;
constexpr Integer kDefBorderWidth = 1;
constexpr Long kDefBorderColor = 8421504;  // RGB(128,128,128)
constexpr double kDefValueSpace = 10;
constexpr double kDefMin = -50;
constexpr double kDefMax = 50;
constexpr Integer kDefMeasureWidth = 3;
constexpr const char* kDefDist = "20,20,20,30";

// VB's Trim: spaces only.
bool IsBlankText(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

}  // namespace

KavrinLineChart::KavrinLineChart(ContainerSite& site) : site_(site) {}

KavrinLineChart::~KavrinLineChart() = default;

FontRef KavrinLineChart::AmbientFont() {
  FontRef f = site_.AmbientFont();
  return f ? f : std::make_shared<StdFont>();
}

cLineChart& KavrinLineChart::Engine() {
  if (!m_Chart) Raise(err::kObjectNotSet);
  return *m_Chart;
}

// ---- container events ----

void KavrinLineChart::InitProperties() {
  m_ValueLineColor = kDefValueLineColor;
  m_TimeLineColor = kDefTimeLineColor;
  m_Title = kDefTitle;
  m_Zoom = kDefZoom;
  m_MeasureFont = AmbientFont();
  m_MeasureColor = kDefMeasureColor;
  m_TitlePos = kDefTitlePos;
  m_TitleFont = AmbientFont();
  m_TitleColor = kDefTitleColor;
  m_MeasurePos = kDefMeasurePos;
  m_CutLineFont = AmbientFont();
  m_bValueLineDisp = True;
  m_bTimeLineDisp = True;
  m_BackColor = kDefBackColor;
  m_ChartBackColor = kDefChartBackColor;
  m_BorderWidth = kDefBorderWidth;
  m_BorderColor = kDefBorderColor;
  m_ValueSpace = kDefValueSpace;
  m_Min = kDefMin;
  m_Max = kDefMax;
  m_MeasureWidth = kDefMeasureWidth;
  m_Unit.clear();
  m_UnitFont = AmbientFont();
  m_Dist = kDefDist;
}

void KavrinLineChart::Resize() {
  site_.Cls();
  ConfigureChart();
  site_.Refresh();
}

void KavrinLineChart::Terminate() { m_Chart.reset(); }

// A new engine replaces the old one before anything else, so a failure below leaves a
// fresh engine that has received no setting and no Start.
void KavrinLineChart::ConfigureChart() {
  m_Chart = std::make_unique<cLineChart>();
  cLineChart& chart = *m_Chart;

  const Margins margins = ParseMargins(m_Dist);
  const float width = site_.ScaleWidth();
  const float height = site_.ScaleHeight();
  const RECT work = WorkRectangle(margins, width, height);
  const RECT frame = FrameRectangle(width, height);

  chart.BindDc(site_.hDC());
  chart.BindWnd(site_.hWnd());
  chart.WorkRc(work);
  chart.FrameRc(frame);
  chart.BkGndColor(m_ChartBackColor);
  chart.ValueLineColor(m_ValueLineColor);
  chart.TimeLineColor(m_TimeLineColor);
  chart.Title(m_Title);
  chart.TitleFont(m_TitleFont);
  chart.TitleColor(m_TitleColor);
  chart.TitlePos(m_TitlePos);
  chart.VerValueSpace(m_ValueSpace);
  chart.Zoom(m_Zoom);
  chart.CutLineFont(m_CutLineFont);
  chart.Min(m_Min);
  chart.Max(m_Max);
  chart.MeasureColor(m_MeasureColor);
  chart.MeasureFont(m_MeasureFont);
  chart.MeasurePos(m_MeasurePos);
  chart.bValueLineDsip(m_bValueLineDisp);
  chart.bTimeLineDsip(m_bTimeLineDisp);
  chart.BorderColor(m_BorderColor);
  chart.BorderWidth(m_BorderWidth);
  chart.MeasureWidth(m_MeasureWidth);
  chart.UnitFont(m_UnitFont);
  chart.Unit(m_Unit);
  chart.Start();
}

// ---- properties: store, then report the change to the container ----

void KavrinLineChart::ValueLineColor(Long New_ValueLineColor) {
  m_ValueLineColor = New_ValueLineColor;
  site_.PropertyChanged("ValueLineColor");
}

void KavrinLineChart::TimeLineColor(Long New_TimeLineColor) {
  m_TimeLineColor = New_TimeLineColor;
  site_.PropertyChanged("TimeLineColor");
}

void KavrinLineChart::Title(const std::string& New_Title) {
  m_Title = New_Title;
  site_.PropertyChanged("Title");
}

void KavrinLineChart::Zoom(double New_Zoom) {
  m_Zoom = New_Zoom;
  site_.PropertyChanged("Zoom");
}

void KavrinLineChart::MeasureFont(const FontRef& New_MeasureFont) {
  m_MeasureFont = New_MeasureFont;
  site_.PropertyChanged("MeasureFont");
}

void KavrinLineChart::MeasureColor(Long New_MeasureColor) {
  m_MeasureColor = New_MeasureColor;
  site_.PropertyChanged("MeasureColor");
}

void KavrinLineChart::TitlePos(Integer New_TitlePos) {
  if (New_TitlePos < 0 || New_TitlePos > 3) return;
  m_TitlePos = New_TitlePos;
  site_.PropertyChanged("TitlePos");
}

void KavrinLineChart::TitleFont(const FontRef& New_TitleFont) {
  m_TitleFont = New_TitleFont;
  site_.PropertyChanged("TitleFont");
}

void KavrinLineChart::TitleColor(Long New_TitleColor) {
  m_TitleColor = New_TitleColor;
  site_.PropertyChanged("TitleColor");
}

void KavrinLineChart::MeasurePos(Integer New_MeasurePos) {
  if (New_MeasurePos < 0 || New_MeasurePos > 2) return;
  m_MeasurePos = New_MeasurePos;
  site_.PropertyChanged("MeasurePos");
}

void KavrinLineChart::CutLineFont(const FontRef& New_CutLineFont) {
  m_CutLineFont = New_CutLineFont;
  site_.PropertyChanged("CutLineFont");
}

void KavrinLineChart::bValueLineDisp(Boolean New_bValueLineDisp) {
  m_bValueLineDisp = New_bValueLineDisp;
  site_.PropertyChanged("bValueLineDisp");
}

void KavrinLineChart::bTimeLineDisp(Boolean New_bTimeLineDisp) {
  m_bTimeLineDisp = New_bTimeLineDisp;
  site_.PropertyChanged("bTimeLineDisp");
}

void KavrinLineChart::CheckBackColor(Long color) {
  COLORREF rgb = 0;
  if (OleTranslateColor(static_cast<OLE_COLOR>(color), nullptr, &rgb) == S_OK) return;
  char hex[16];
  std::snprintf(hex, sizeof hex, "&H%08X&", static_cast<unsigned>(color));
  Raise(err::kInvalidPropertyValue,
        std::string("Invalid property value: ") + hex + " is neither an RGB colour (&H00BBGGRR&) nor a system colour");
}

// The surface's own background: repainted at once, with the engine rebound to the
// freshly cleared surface. A colour the surface cannot take is refused before it is stored,
// so that it is never reported as changed nor saved.
void KavrinLineChart::BackColor(Long New_BackColor) {
  CheckBackColor(New_BackColor);
  m_BackColor = New_BackColor;
  site_.PropertyChanged("BackColor");
  site_.BackColor(m_BackColor);
  cLineChart& chart = Engine();
  chart.BindDc(site_.hDC());
  chart.BindWnd(site_.hWnd());
  chart.ReDraw();
}

void KavrinLineChart::ChartBackColor(Long New_ChartBackColor) {
  m_ChartBackColor = New_ChartBackColor;
  site_.PropertyChanged("ChartBackColor");
}

void KavrinLineChart::BorderWidth(Integer New_BorderWidth) {
  m_BorderWidth = New_BorderWidth;
  site_.PropertyChanged("BorderWidth");
}

void KavrinLineChart::BorderColor(Long New_BorderColor) {
  m_BorderColor = New_BorderColor;
  site_.PropertyChanged("BorderColor");
}

void KavrinLineChart::ValueSpace(double New_ValueSpace) {
  m_ValueSpace = New_ValueSpace;
  site_.PropertyChanged("ValueSpace");
}

void KavrinLineChart::Min(double New_Min) {
  m_Min = New_Min;
  site_.PropertyChanged("Min");
}

void KavrinLineChart::Max(double New_Max) {
  m_Max = New_Max;
  site_.PropertyChanged("Max");
}

void KavrinLineChart::MeasureWidth(Integer New_MeasureWidth) {
  m_MeasureWidth = New_MeasureWidth;
  site_.PropertyChanged("MeasureWidth");
}

void KavrinLineChart::Unit(const std::string& New_Unit) {
  m_Unit = New_Unit;
  site_.PropertyChanged("Unit");
}

void KavrinLineChart::UnitFont(const FontRef& New_UnitFont) {
  m_UnitFont = New_UnitFont;
  site_.PropertyChanged("UnitFont");
}

// Stored as received, blanks included; parsed at the next configuration.
void KavrinLineChart::Dist(const std::string& New_Dist) {
  if (IsBlankText(New_Dist)) return;
  m_Dist = New_Dist;
  site_.PropertyChanged("Dist");
}

// ---- methods ----

void KavrinLineChart::SetValue(Integer Id, double Value) { Engine().SetValue(Id, Value); }

void KavrinLineChart::Movie() { Engine().Movie(); }

void KavrinLineChart::AddLine(const std::string& Key, Long lColor, const PictureRef& PointPic,
                              Boolean bDispPointTip, Long lTipColor) {
  Engine().AddLine(Key, lColor, PointPic, bDispPointTip, lTipColor);
}

void KavrinLineChart::ExportData(Boolean bOperate, std::string& sPath, std::string& sName) {
  Engine().StartExport(bOperate, sPath, sName);
}

void KavrinLineChart::ExportData(Boolean bOperate) {
  std::string path;
  std::string name;
  ExportData(bOperate, path, name);
}

void KavrinLineChart::ExportData(Boolean bOperate, const std::string& sPath, const std::string& sName) {
  std::string path = sPath;
  std::string name = sName;
  ExportData(bOperate, path, name);
}

Boolean KavrinLineChart::ExportPicture(const std::string& sPath, const std::string& sName) {
  Variant path(sPath);
  return ExportPicture(path, sName);
}

// Never overwrites: a missing folder or an existing file end the call quietly. A blank
// folder writes nothing rather than falling back to the root of the current drive. The
// container creates the file new, so a file another process made after the test above is
// left alone too, and ends the call as quietly.
Boolean KavrinLineChart::ExportPicture(Variant& sPath, const std::string& sName) {
  if (sName.empty()) return False;
  std::string path = sPath.ToString();
  if (IsBlankText(path)) return False;
  const char last = path.back();
  if (last != '\\' && last != '/') {
    path += '\\';
    sPath = Variant(path);
  }
  if (!PathFileExistsA(AnsiText(path).c_str())) return False;
  const std::string file = path + sName;
  if (PathFileExistsA(AnsiText(file).c_str())) return False;
  try {
    site_.SavePicture(site_.Image(), AnsiText(file));
  } catch (const RuntimeError& e) {
    // Another writer took the name between the check and the creation.
    if (e.Number() != err::kFileAlreadyExists) throw;
    return False;
  }
  // Success means the file is there: a container that wrote nothing without an error
  // must not be reported as a picture saved.
  return PathFileExistsA(AnsiText(file).c_str()) ? True : False;
}

// One About box at a time: a visible one is unloaded and a fresh one shown modally.
void KavrinLineChart::About() {
  frmAbout& form = frmAbout::Default();
  if (form.Visible()) form.Unload();
  form.Show();
}

}  // namespace kavrin
