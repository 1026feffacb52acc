#include "tests/win32/form_scenario.h"

#include <utility>

namespace kavrin::formtest {

Arg Long(int32_t v) { return Arg{Arg::kLong, v, 0, {}}; }
Arg Double(double v) { return Arg{Arg::kDouble, 0, v, {}}; }
Arg Text(std::string v) { return Arg{Arg::kText, 0, 0, std::move(v)}; }
Arg Bool(bool v) { return Arg{Arg::kBool, v ? -1 : 0, 0, {}}; }
Arg Font(std::string face, double points, bool bold) { return Arg{Arg::kFont, bold ? -1 : 0, points, std::move(face)}; }
Arg Picture() { return Arg{Arg::kPicture, 0, 0, {}}; }
Arg Folder() { return Arg{Arg::kFolder, 0, 0, {}}; }

// A red diamond with a white centre on the key colour magenta, which a stamp leaves out.
std::vector<uint32_t> PointPicture() {
  std::vector<uint32_t> px;
  for (int y = 0; y < kPointSide; ++y)
    for (int x = 0; x < kPointSide; ++x) {
      const int d = (x > 3 ? x - 3 : 3 - x) + (y > 3 ? y - 3 : 3 - y);
      px.push_back(d == 0 ? 0xFFFFFFu : d <= 3 ? 0xFF0000u : 0xFF00FFu);
    }
  return px;
}

namespace {

// Values that are exact in binary, so that no library's sine can make the sides differ.
double Wave(int line, int tick) {
  const int period = 12 + 5 * line;
  const int phase = (tick * 7 + line * 11) % period;
  return (phase < period / 2 ? phase : period - phase) * 6.5 - 30.0 + line * 4.25;
}

// The colours of text: the title, the scale (labels, unit and the legend keys take the
// colour the scale leaves on the surface) and the tips of each line.
struct TextColours {
  int32_t title, measure, tip1, tip3;
};
TextColours Colours(bool alt) {
  if (alt) return {0x00FF80, 0x8000FF, 0x40C0FF, 0xFF8040};
  return {0x000000, 0x0000C0, 0xFFFFFF, 0x00FFFF};
}

// A new instance as it is placed: 320 x 240 with every default. The alternative run needs
// a configuration to show its colours, so it passes through another size and back.
void DefaultChart(Driver& d, bool alt) {
  d.Place();
  if (alt) {
    const TextColours c = Colours(alt);
    d.Let("TitleColor", Long(c.title));
    d.Let("MeasureColor", Long(c.measure));
    d.Resize(330, 250);
    d.Resize(320, 240);
  }
  d.Snapshot("default");
  d.Remove();
}

// Three lines (one with a point picture, two with tips), a resize, 40 ticks with an export
// log, BackColor set at run time, then the picture exported.
void ThreeLines(Driver& d, bool alt) {
  const TextColours c = Colours(alt);
  d.Place();
  d.Let("Title", Text("Three lines"));
  d.Let("TitleColor", Long(c.title));
  d.Let("MeasureColor", Long(c.measure));
  d.Let("MeasurePos", Long(2));
  d.Let("Unit", Text("mV"));
  d.Let("ChartBackColor", Long(0x202020));
  d.Let("Min", Double(-40));
  d.Let("Max", Double(40));
  d.Let("Dist", Text("40,40,20,30"));
  // Faces that Wine and the Linux build realize from the same font files with the same
  // metrics, at sizes that are whole pixels (a font object reports the size it realizes).
  d.Let("TitleFont", Font("DejaVu Sans", 12, true));
  d.Let("MeasureFont", Font("DejaVu Sans Mono", 8.25, false));
  d.Let("CutLineFont", Font("Liberation Mono", 9.75, false));
  d.Let("UnitFont", Font("DejaVu Sans", 9, false));
  d.Resize(420, 300);
  d.Call("AddLine", {Text("Alpha"), Long(0x00FF00), Picture(), Bool(true), Long(c.tip1)});
  d.Call("AddLine", {Text("Beta"), Long(0x0080FF)});
  d.Call("AddLine", {Text("Gamma"), Long(0xFF00FF), Picture(), Bool(true), Long(c.tip3)});
  d.Call("ExportData", {Bool(true), Folder(), Text(kLogName)});
  for (int tick = 0; tick < 40; ++tick) {
    for (int line = 1; line <= 3; ++line)
      if (line != 2 || tick % 3 != 1) d.Call("SetValue", {Long(line), Double(Wave(line, tick))});
    d.Call("Movie", {});
    if (tick == 19) d.Snapshot("lines after 20 ticks");
  }
  d.Call("ExportData", {Bool(false)});
  d.Snapshot("lines after 40 ticks");
  d.Let("BackColor", Long(0xE0F0FF));
  d.Snapshot("back colour set at run time");
  d.Call("ExportPicture", {Folder(), Text(kPictureName)});
  d.Remove();
}

}  // namespace

void RunScenarios(Driver& d, bool altText) {
  DefaultChart(d, altText);
  ThreeLines(d, altText);
}

}  // namespace kavrin::formtest
