#include "apps/chart_setup.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "apps/chart_trial.h"
#include "apps/demo_signals.h"
#include "apps/exit_codes.h"
#include "apps/settings.h"
#include "chart/label_text.h"
#include "common/vb_error.h"
#include "control/automation.h"
#include "control/kavrin_line_chart.h"
#include "host/form_text.h"
#include "host/margin_fit.h"
#include "host/standard_controls.h"

namespace kavrin::app {
namespace {

// A window when one is wanted and the display opens; headless otherwise (or a failure for
// --window).
ChartParts MakeForm(const Options& o, Messages& messages) {
  ChartParts parts;
  std::unique_ptr<host::WindowBackend> backend;
  const char* display = std::getenv("DISPLAY");
  const bool haveDisplay = display != nullptr && *display != '\0';
  if (o.display == Display::kWindow && !haveDisplay)
    throw UsageFailure{kExitNoDisplay, "no display for --window: DISPLAY is not set (use --headless)"};
  if (o.display != Display::kHeadless && haveDisplay) {
    try {
      backend = host::MakeX11Backend(display);
      parts.window = true;
    } catch (const RuntimeError& e) {
      if (o.display == Display::kWindow)
        throw UsageFailure{kExitNoDisplay, std::string("cannot open the display ") + display + ": " + e.what()};
      messages.Tell(std::string("cannot open the display ") + display + "; running without a window");
    }
  }
  if (!backend) backend = host::MakeHeadlessBackend();
  parts.form = std::make_unique<host::Form>(std::move(backend), "KavrinChart");
  host::RegisterStandardControls(*parts.form);
  return parts;
}

// --form: read in pieces and only up to the largest form text, so that an endless or huge
// file (/dev/zero) is refused instead of filling memory.
void LoadForm(ChartParts& parts, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  char piece[65536];
  while (in && text.size() <= host::kMaxFormTextBytes) {
    in.read(piece, sizeof piece);
    text.append(piece, static_cast<size_t>(in.gcount()));
  }
  if (!in.eof() || in.bad()) {
    if (text.size() > host::kMaxFormTextBytes)
      throw UsageFailure{kExitUsage, "the form " + path + " is larger than a form can be (" +
                                         std::to_string(host::kMaxFormTextBytes) + " bytes)"};
    throw UsageFailure{kExitInput, "cannot read the form " + path};
  }
  try {
    parts.form->Load(text);
  } catch (const RuntimeError& e) {
    throw UsageFailure{kExitUsage, "the form " + path + " cannot be loaded: " + e.what()};
  }
  for (size_t i = 0; i < parts.form->Count() && parts.chart == nullptr; ++i) {
    parts.site = &parts.form->At(i);
    parts.chart = parts.site->ControlAs<KavrinLineChart>();
  }
  if (parts.chart == nullptr) throw UsageFailure{kExitUsage, "the form " + path + " holds no KavrinLineChart"};
}

// A new chart at its plain size (--size is applied once the settings are checked): the
// demo's look, or a file's name as the title.
void PlaceChart(ChartParts& parts, const Options& o, Source source) {
  const bool demo = source == Source::kDemo;
  const int w = demo ? kDemoWidth : host::kNewControlWidth;
  const int h = demo ? kDemoHeight : host::kNewControlHeight;
  parts.site = &parts.form->Add("KavrinLineChart", "", w, h);
  parts.chart = parts.site->ControlAs<KavrinLineChart>();
  if (demo) {
    parts.chart->Title(kDemoTitle);
    parts.chart->Unit(kDemoUnit);
    parts.chart->Dist(kDemoDist);
  } else if (source == Source::kFile) {
    const auto slash = o.inputPath.find_last_of('/');
    parts.chart->Title(slash == std::string::npos ? o.inputPath : o.inputPath.substr(slash + 1));
  }
}

// Applies the --set assignments in order. A value the control ignores (it keeps TitlePos
// within 0..3, MeasurePos within 0..2 and a blank Dist out) is reported, not silently lost.
void ApplySettings(ChartParts& parts, const Options& o, Messages& messages) {
  for (const auto& s : o.sets) {
    parts.site->ClearDirty();
    const MemberInfo* m = FindMember(SettingName(s));
    try {
      ApplySetting(*parts.chart, s);
    } catch (const SettingRefused& e) {
      throw UsageFailure{kExitUsage, "--set: " + e.Why()};
    }
    if (m != nullptr && !parts.site->Dirty()) {
      std::vector<Variant> none;
      const Variant now = InvokeByName(*parts.chart, m->name, kInvokeGet, none);
      messages.Tell("warning: --set " + s + " was ignored: the chart does not take this value and keeps " + m->name +
                    "=" + (now.Type() == VarType::kFont ? now.ToFont()->Name() : now.ToString()));
    }
  }
}

// The chart's scale runs from Min up by |Max - Min|: with Min above Max it shows Min ..
// 2 Min - Max, which is not what anyone setting them meant. Refused for --set; a form that
// holds it is drawn as it always was, with a warning.
void CheckRange(const KavrinLineChart& chart, const Options& o, Messages& messages) {
  const double min = chart.Min();
  const double max = chart.Max();
  if (min < max || !std::isfinite(min) || !std::isfinite(max)) return;
  const std::string shows = min > max ? " (the chart would show " + LabelText(min) + " .. " +
                                            LabelText(min + (min - max)) + ")"
                                      : "";
  if (SetsProperty(o, "min") || SetsProperty(o, "max"))
    throw UsageFailure{kExitUsage, "--set: Min must be below Max, and Min is " + LabelText(min) + ", Max " +
                                       LabelText(max) + shows};
  if (min > max)
    messages.Tell("warning: the form " + o.formIn + " has Min " + LabelText(min) + " above Max " + LabelText(max) +
                  ": the chart shows " + LabelText(min) + " .. " + LabelText(min + (min - max)));
}

// Before the run: the settings at the size the chart will have must configure and tick on
// a throwaway form (with the demo's lines, or one for a stream whose columns are not known
// yet), or the run does not start (exit 2) and the message names the cause.
void CheckDrawable(ChartParts& parts, const Options& o, Source source) {
  const size_t lines = source == Source::kDemo ? std::size(kDemoLines) : 1;
  KavrinLineChart& chart = *parts.chart;
  const TrialSize plain{parts.site->GetSurface().Width(), parts.site->GetSurface().Height()};
  const TrialSize size = o.width > 0 ? TrialSize{o.width, o.height} : plain;
  const std::string why = TryChart(chart, parts.form->Font(), size, lines);
  if (why.empty()) return;
  const std::string sizeOption = o.width > 0 ? std::to_string(o.width) + "x" + std::to_string(o.height) : std::string();
  // A size smaller than the chart's own, which draws: the size is too small, and the
  // smallest that draws is named.
  if (!sizeOption.empty() && (size.width < plain.width || size.height < plain.height) &&
      TryChart(chart, parts.form->Font(), plain, lines).empty()) {
    const TrialSize least = SmallestSize(chart, parts.form->Font(), plain, lines);
    throw UsageFailure{kExitUsage, "--size " + sizeOption + " is too small for the chart with these settings: the " +
                                       "smallest size it can be drawn at is " + std::to_string(least.width) + "x" +
                                       std::to_string(least.height)};
  }
  std::string blamed = BlameSettings(chart, parts.form->Font(), size, plain, lines, o.sets, sizeOption);
  if (blamed.empty()) blamed = o.formIn.empty() ? "these settings together" : "the settings of the form " + o.formIn;
  throw UsageFailure{kExitUsage, "the chart cannot be drawn with " + blamed + " at " + std::to_string(size.width) +
                                     " x " + std::to_string(size.height) + " pixels (" + why + ")"};
}

}  // namespace

ChartParts SetUpChart(const Options& o, Source source, Messages& messages) {
  ChartParts parts = MakeForm(o, messages);
  if (!o.formIn.empty()) LoadForm(parts, o.formIn);
  else PlaceChart(parts, o, source);
  ApplySettings(parts, o, messages);
  KavrinLineChart& chart = *parts.chart;
  CheckRange(chart, o, messages);
  // A scale of the user's own without a grid spacing gets about ten grid steps, where the
  // control's default spacing of 10 would leave grid lines under a pixel apart.
  if (o.formIn.empty() && (SetsProperty(o, "min") || SetsProperty(o, "max")) && !SetsProperty(o, "valuespace")) {
    const double spacing = GridSpacingFor(chart.Min(), chart.Max());
    if (spacing > 0) chart.ValueSpace(spacing);
  }
  CheckDrawable(parts, o, source);
  // Settings reach the engine when the control is configured, as a container's resize does.
  try {
    if (o.width > 0) parts.site->SetSize(o.width, o.height);
    parts.site->Events()->Resize();
    std::vector<std::string> keys;
    if (source == Source::kDemo)
      for (size_t i = 0; i < std::size(kDemoLines); ++i) keys.push_back(LineKeyFor(o, i, kDemoLines[i].key));
    FitMargins(parts, o, keys);
  } catch (const RuntimeError& e) {
    throw UsageFailure{kExitUsage, std::string("the chart cannot be set up with these settings: ") + e.what()};
  }
  if (!o.formOut.empty()) {
    std::ofstream out(o.formOut, std::ios::binary | std::ios::trunc);
    out << parts.form->Save();
    out.close();
    if (!out) throw UsageFailure{kExitFailure, "cannot write the form " + o.formOut};
    messages.Tell("settings saved in " + o.formOut);
  }
  return parts;
}

void FitMargins(ChartParts& parts, const Options& options, const std::vector<std::string>& keys) {
  if (SetsProperty(options, "dist")) return;
  host::MarginFit fit;
  fit.keys = keys;
  fit.ambient = parts.form->Font();
  fit.keepMeasureWidth = SetsProperty(options, "measurewidth");
  if (host::FitMargins(*parts.chart, fit)) parts.site->Events()->Resize();
}

}  // namespace kavrin::app
