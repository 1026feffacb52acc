#include "apps/chart_trial.h"

#include <cmath>

#include "apps/settings.h"
#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "control/automation.h"
#include "control/kavrin_line_chart.h"
#include "host/form.h"
#include "host/form_bag.h"
#include "host/standard_controls.h"

namespace kavrin::app {
namespace {

// An assignment as a message shows it: a long value is cut short.
std::string Shown(const std::string& assignment) {
  if (assignment.size() <= 48) return assignment;
  const size_t value = assignment.size() - assignment.find('=') - 1;
  return assignment.substr(0, 40) + "... (a value of " + std::to_string(value) + " characters)";
}

}  // namespace

std::string TryChart(KavrinLineChart& chart, const FontRef& ambient, TrialSize size, size_t lines,
                     const std::string& leaveOut) {
  host::FormBag bag;
  chart.WriteProperties(bag);
  if (!leaveOut.empty()) bag.WriteProperty(leaveOut, Variant(), Variant());  // equal to its default: left out
  bag.WriteProperty("_Width", Variant::FromLong(size.width), Variant());
  bag.WriteProperty("_Height", Variant::FromLong(size.height), Variant());
  std::string text = "Begin Form Trial\n   Begin KavrinLineChart Trial\n";
  try {
    bag.AppendText(text, 2);
    text += "   End\nEnd\n";
    host::Form trial(host::MakeHeadlessBackend(), "Trial");
    host::RegisterStandardControls(trial);
    trial.Font(ambient ? ambient->Clone() : nullptr);
    trial.Load(text);
    KavrinLineChart& c = *trial.At(0).ControlAs<KavrinLineChart>();
    for (size_t i = 0; i < lines; ++i) c.AddLine("line " + std::to_string(i + 1), 0x00FFFFFF, nullptr, True);
    for (int tick = 0; tick < 2; ++tick) {
      for (size_t i = 0; i < lines; ++i) c.SetValue(static_cast<Integer>(i + 1), c.Min());
      c.Movie();
    }
    const double step = std::fabs(c.Chart()->dGridStep());
    const int labelHeight = c.Chart()->iMeasureCharH();
    const Long plotWidth = c.Chart()->lWorkWidth();
    trial.Unload();
    if (step * 3 < labelHeight * 2)
      return "its value labels would pile up: grid lines " + std::to_string(static_cast<int>(step)) +
             " pixels apart, labels " + std::to_string(labelHeight) + " pixels high";
    // Each tick scrolls half a grid step: a narrower plot shows fewer than four ticks.
    if (plotWidth < 2 * step)
      return "its plot would be " + std::to_string(plotWidth) + " pixels wide, less than two grid steps of " +
             std::to_string(static_cast<int>(step));
  } catch (const RuntimeError& e) {
    return e.what();
  }
  return {};
}

TrialSize SmallestSize(KavrinLineChart& chart, const FontRef& ambient, TrialSize drawn, size_t lines) {
  // The least n in 1 .. known with draws(n); draws(known) holds.
  const auto least = [](int known, const auto& draws) {
    int lo = 1;
    while (lo < known) {
      const int mid = lo + (known - lo) / 2;
      if (draws(mid)) known = mid;
      else lo = mid + 1;
    }
    return known;
  };
  TrialSize size = drawn;
  size.height = least(drawn.height, [&](int h) {
    return TryChart(chart, ambient, TrialSize{drawn.width, h}, lines).empty();
  });
  size.width = least(drawn.width, [&](int w) {
    return TryChart(chart, ambient, TrialSize{w, size.height}, lines).empty();
  });
  return size;
}

std::string BlameSettings(KavrinLineChart& chart, const FontRef& ambient, TrialSize size, TrialSize plainSize,
                          size_t lines, const std::vector<std::string>& sets, const std::string& sizeOption) {
  std::string blamed;
  const auto add = [&blamed](const std::string& what) { blamed += (blamed.empty() ? "" : ", ") + what; };
  if (!sizeOption.empty() && TryChart(chart, ambient, plainSize, lines).empty()) add("--size " + sizeOption);
  for (const auto& s : sets) {
    const MemberInfo* m = FindMember(SettingName(s));
    if (m != nullptr && TryChart(chart, ambient, size, lines, m->name).empty()) add("--set " + Shown(s));
  }
  return blamed;
}

}  // namespace kavrin::app
