#include "host/margin_fit.h"

#include <algorithm>
#include <cmath>

#include "chart/label_text.h"
#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "control/chart_margins.h"
#include "control/kavrin_line_chart.h"
#include "draw/cfont.h"
#include "draw/win32.h"

namespace kavrin::host {
namespace {

// Widths of texts in a font, as the chart's surface draws them (a memory surface at the
// same resolution).
class TextRuler {
 public:
  TextRuler() {
    font_.SetBindDc(HandleToLong(dc_.dc));
    font_.TestPreFont();
  }
  int Width(const FontRef& font, const std::string& text) {
    if (text.empty() || !font) return 0;
    font_.SetFont(font);
    font_.SetDegrees(0);
    font_.LoadMyFont();
    SIZE size{};
    GetTextExtentPoint32A(dc_.dc, text.data(), static_cast<int>(text.size()), &size);
    font_.RestoreSysFont();
    return size.cx;
  }

 private:
  struct OwnedDc {
    HDC dc = CreateCompatibleDC(nullptr);
    ~OwnedDc() { DeleteDC(dc); }
  };
  OwnedDc dc_;  // outlives font_, which puts the surface's font back when it ends
  cFont font_;
};

// The texts of the value scale: from Min up in grid steps, and Max.
std::vector<std::string> ScaleLabels(const KavrinLineChart& chart) {
  std::vector<std::string> labels{LabelText(chart.Max())};
  const double lo = chart.Min();
  const double step = chart.ValueSpace();
  const double span = chart.Max() - lo;
  if (step > 0 && std::isfinite(span) && span > 0) {
    for (int k = 0; k <= 1000 && k * step <= span * (1 + 1e-12); ++k) labels.push_back(LabelText(lo + k * step));
  } else {
    labels.push_back(LabelText(lo));
  }
  return labels;
}

}  // namespace

bool FitMargins(KavrinLineChart& chart, const MarginFit& fit) {
  const cLineChart* engine = chart.Chart();
  if (engine == nullptr) return false;
  Margins m;
  try {
    m = ParseMargins(chart.Dist());
  } catch (const RuntimeError&) {
    return false;
  }
  auto fontOr = [&fit](const FontRef& f) { return f ? f : fit.ambient; };
  TextRuler ruler;

  const int cellW = std::max<int>(engine->iMeasureCharW(), 1);
  int labelW = 0;
  for (const auto& s : ScaleLabels(chart)) labelW = std::max(labelW, ruler.Width(fontOr(chart.MeasureFont()), s));
  int cells = std::max<int>(chart.MeasureWidth(), 0);
  if (!fit.keepMeasureWidth && cells * cellW < labelW) cells = std::min((labelW + cellW - 1) / cellW, 40);
  int keyW = 0;
  for (const auto& k : fit.keys) keyW = std::max(keyW, ruler.Width(fontOr(chart.CutLineFont()), k));
  // Glyphs may reach a little past their advance: a few pixels more for the keys.
  if (keyW > 0) keyW += 4;

  const int pos = chart.MeasurePos();    // 0 left, 1 right, 2 both
  const int titlePos = chart.TitlePos();  // 0 left, 1 right, 2 top, 3 bottom
  const int labels = cells * cellW;
  const int unit = chart.Unit().empty() ? 0 : 5 + engine->iUnitCharH();
  const int titleH = chart.Title().empty() ? 0 : engine->iTitleCharH();
  // The title keeps room for the labels as wide as the top value's text in cells.
  const int titleLabels = std::max<int>(static_cast<int>(LabelText(chart.Max()).size()) * cellW, labels);
  const bool keys = !fit.keys.empty();

  // Left: the label column and the unit 5 pixels beyond it; the legend when the title is
  // at the right (boxes from 5, keys from 15 to 5 before the labels or the plot); a title.
  int left = 0;
  if (pos == 0 || pos == 2) left = 5 + labels + unit;
  if (keys && titlePos == 1) left = std::max(left, keyW + 20 + (pos == 1 ? 0 : 5 + labels + unit));
  if (titleH > 0 && titlePos == 0) {
    if (pos == 0) left = std::max(left, 6 + titleLabels + unit + titleH + 2);
    else if (pos == 2) left = std::max(left, 2 * (5 + labels + unit) + titleH + 2);  // centred in the margin
    else left = std::max(left, titleH + 4);
  }
  // Right: labels and unit for a right-hand scale; the legend after them (boxes 8 wide,
  // keys 2 after the boxes up to the frame); a title.
  int right = 0;
  if (pos == 1) right = 5 + labels + unit + 2;
  if (pos == 2) right = 5 + labels + 2;
  if (keys && titlePos != 1) right = std::max(right, keyW + (pos == 1 ? 22 + labels + unit : 21));
  if (titleH > 0 && titlePos == 1) right = std::max(right, pos == 1 ? 7 + titleLabels + unit + titleH + 2 : titleH + 4);

  const int most = static_cast<int>(engine->rcFrame().right * fit.maxShare);
  const Integer newLeft = static_cast<Integer>(std::max<int>(m.left, std::min(left, most)));
  const Integer newRight = static_cast<Integer>(std::max<int>(m.right, std::min(right, most)));
  const bool widthChanged = cells != chart.MeasureWidth();
  if (newLeft == m.left && newRight == m.right && !widthChanged) return false;
  if (widthChanged) chart.MeasureWidth(static_cast<Integer>(cells));
  chart.Dist(std::to_string(newLeft) + "," + std::to_string(newRight) + "," + std::to_string(m.top) + "," +
             std::to_string(m.bottom));
  return true;
}

}  // namespace kavrin::host
