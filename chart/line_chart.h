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
// (BindWnd); it owns neither.
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
};

}  // namespace kavrin
