#include "apps/chart_run.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "apps/chart_trial.h"
#include "apps/column_plan.h"
#include "apps/demo_signals.h"
#include "apps/input_stream.h"
#include "apps/line_colors.h"
#include "apps/output_files.h"
#include "apps/settings.h"
#include "chart/label_text.h"
#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "control/automation.h"
#include "control/kavrin_line_chart.h"
#include "draw/win32.h"
#include "host/autoscale.h"
#include "host/chart_history.h"
#include "host/form.h"
#include "host/form_text.h"
#include "host/margin_fit.h"
#include "host/standard_controls.h"

namespace kavrin::app {
namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int) { g_stop = 1; }

using Clock = std::chrono::steady_clock;

// A window may be made as wide as a large screen: its history keeps the ticks to fill that.
constexpr int kWidestWindow = 3840;

// Why lines had no value on some ticks; reported once at the end.
struct GapReport {
  int64_t notNumber = 0;
  int64_t missing = 0;     // the row had no such column
  int64_t outOfRange = 0;  // a number too far off the scale for a pixel row
  int64_t wideRows = 0;    // rows with more columns than can be charted
  int64_t outsideRange = 0;  // numbers outside a range the user fixed
  std::string firstNotNumber;
  std::string firstOutOfRange;
  std::string firstOutsideRange;
  std::string range;  // the fixed range, as its labels show it

  bool Any() const { return notNumber + missing + outOfRange + wideRows + outsideRange > 0; }
  void Print(std::ostream& err) const {
    if (notNumber > 0)
      err << "kavrin-chart: " << notNumber << " field(s) were not numbers and left gaps (first: " << firstNotNumber
          << ")\n";
    if (missing > 0) err << "kavrin-chart: " << missing << " value(s) were missing from short rows and left gaps\n";
    if (outOfRange > 0)
      err << "kavrin-chart: " << outOfRange
          << " value(s) were too large for the chart and left gaps (first: " << firstOutOfRange << ")\n";
    if (wideRows > 0)
      err << "kavrin-chart: " << wideRows << " row(s) had more than " << kMaxColumns
          << " columns; the extra columns were ignored\n";
    if (outsideRange > 0)
      err << "kavrin-chart: " << outsideRange << " value(s) were outside the range " << range
          << " and left gaps (first: " << firstOutsideRange
          << "); widen it with --set Min=... --set Max=..., or leave out Min, Max and --fixed to follow the data\n";
  }
};

std::string Where(int64_t row, size_t column, std::string_view text) {
  std::string t = KeyText(text.substr(0, 24));
  return "row " + std::to_string(row) + ", column " + std::to_string(column + 1) + " \"" + t + "\"";
}

struct UsageFailure {
  int code;
  std::string message;
};

// A usage failure is told in one line, whatever bytes the paths or values in it hold.
std::string OneLine(std::string message) {
  for (char& c : message)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  return message;
}

class ChartRun {
 public:
  ChartRun(const Options& o, std::ostream& err) : o_(o), err_(err) {}
  int Execute();

 private:
  void ResolveSource();
  void MakeForm();
  void Configure();
  void ApplySettings();
  void CheckDrawable();
  size_t TrialLines() const;
  void UserResize(int width, int height);
  void PrepareOutputs();
  bool UserSet(const std::string& lowerName) const;
  void FitMargins(const std::vector<std::string>& keys);
  std::string LineKey(size_t index, const std::string& planned) const;
  void CheckLineNumbers(size_t count) const;
  void LinesKnown();
  void AddLines();
  void StartLog();
  void SaveLogForm(const std::string& logPath);
  void WatchEngine();
  void ApplyRange(const host::ValueRange& range);
  bool OutsideFixedRange(double value) const;
  void NameWindow();
  bool WaitUntil(Clock::time_point deadline);
  bool Stopping() const;
  void Pump(bool force);
  void DemoTick();
  bool StreamStep(int timeoutMs);
  void StreamTick();
  void AfterTick();
  void Snapshot();
  bool BaseTaken(const std::string& base) const;
  using Writer = std::function<Written(const std::string& base)>;
  Written WriteNamed(const Writer& write);
  bool SaveFinalPictures(std::vector<std::string>& written);
  int Finish(int code);

  const Options& o_;
  std::ostream& err_;
  Source source_ = Source::kDemo;
  bool window_ = false;
  std::unique_ptr<host::Form> form_;
  host::ControlSite* site_ = nullptr;
  KavrinLineChart* chart_ = nullptr;
  // The lines and recent ticks, drawn again whenever the chart is rebuilt.
  std::unique_ptr<host::ChartHistory> history_;
  std::optional<host::Autoscale> autoscale_;  // when the range follows the data
  struct RowValue {
    Integer line;
    double value;
    size_t column;
  };
  std::vector<RowValue> rowValues_;  // a tick's values, gathered before they reach the chart

  std::unique_ptr<InputStream> input_;
  std::unique_ptr<ColumnPlan> plan_;
  std::vector<PlannedLine> lines_;
  bool linesKnown_ = false;
  bool inputEnded_ = false;
  size_t headerWidth_ = 0;  // fields a row has by the header; 0 without one
  bool widthWarned_ = false;
  DemoSignals demo_;
  PictureRef demoPicture_;
  GapReport gaps_;

  std::string folder_;  // with a trailing "/"
  std::string stamp_;   // the start time's name; base_ is it or it with "-2", "-3", ...
  std::string base_;
  // The run's files are created new, never replacing one. Until one of them is made, a
  // name found taken by another run (in the same second) moves the run to the next base.
  bool baseClaimed_ = false;
  std::vector<std::string> refusedBases_;
  int logPart_ = 0;
  std::vector<std::string> logs_;
  bool logOpen_ = false;
  int64_t snapshots_ = 0;
  int64_t failedSnapshots_ = 0;
  std::pair<int, int> refusedSize_{0, 0};  // the window size last refused, told once

  int64_t ticks_ = 0;
  Clock::time_point lastPump_{};
  Clock::time_point started_{};
};

bool ChartRun::Stopping() const {
  return g_stop != 0 || (window_ && (form_->CloseRequested() || form_->DisplayLost()));
}

void ChartRun::Pump(bool force) {
  const auto now = Clock::now();
  // A window is painted at most about 60 times a second, however fast the ticks come.
  if (!force && now - lastPump_ < std::chrono::milliseconds(16)) return;
  lastPump_ = now;
  form_->PumpEvents();
  WatchEngine();
}

void ChartRun::ResolveSource() {
  source_ = o_.source;
  if (source_ == Source::kAuto) source_ = ::isatty(STDIN_FILENO) ? Source::kDemo : Source::kStdin;
  if (source_ == Source::kDemo) return;
  if (source_ == Source::kStdin) {
    input_ = std::make_unique<InputStream>(STDIN_FILENO, false);
  } else {
    std::string error;
    input_ = InputStream::Open(o_.inputPath, error);
    if (!input_) throw UsageFailure{kExitInput, "cannot read " + error};
  }
  input_->Rules(SplitRules{o_.delimiter, o_.decimalComma});
  plan_ = std::make_unique<ColumnPlan>(o_.columns);
}

void ChartRun::MakeForm() {
  std::unique_ptr<host::WindowBackend> backend;
  const char* display = std::getenv("DISPLAY");
  const bool haveDisplay = display != nullptr && *display != '\0';
  if (o_.display == Display::kWindow && !haveDisplay)
    throw UsageFailure{kExitNoDisplay, "no display for --window: DISPLAY is not set (use --headless)"};
  if (o_.display != Display::kHeadless && haveDisplay) {
    try {
      backend = host::MakeX11Backend(display);
      window_ = true;
    } catch (const RuntimeError& e) {
      if (o_.display == Display::kWindow)
        throw UsageFailure{kExitNoDisplay, std::string("cannot open the display ") + display + ": " + e.what()};
      err_ << "kavrin-chart: cannot open the display " << display << "; running without a window\n";
    }
  }
  if (!backend) backend = host::MakeHeadlessBackend();
  form_ = std::make_unique<host::Form>(std::move(backend), "KavrinChart");
  host::RegisterStandardControls(*form_);
}

void ChartRun::Configure() {
  if (!o_.formIn.empty()) {
    // Read in pieces and only up to the largest form text, so that an endless or huge
    // file (/dev/zero) is refused instead of filling memory.
    std::ifstream in(o_.formIn, std::ios::binary);
    std::string text;
    char piece[65536];
    while (in && text.size() <= host::kMaxFormTextBytes) {
      in.read(piece, sizeof piece);
      text.append(piece, static_cast<size_t>(in.gcount()));
    }
    if (!in.eof() || in.bad()) {
      if (text.size() > host::kMaxFormTextBytes)
        throw UsageFailure{kExitUsage, "the form " + o_.formIn + " is larger than a form can be (" +
                                           std::to_string(host::kMaxFormTextBytes) + " bytes)"};
      throw UsageFailure{kExitInput, "cannot read the form " + o_.formIn};
    }
    try {
      form_->Load(text);
    } catch (const RuntimeError& e) {
      throw UsageFailure{kExitUsage, "the form " + o_.formIn + " cannot be loaded: " + e.what()};
    }
    for (size_t i = 0; i < form_->Count() && chart_ == nullptr; ++i) {
      site_ = &form_->At(i);
      chart_ = site_->ControlAs<KavrinLineChart>();
    }
    if (chart_ == nullptr) throw UsageFailure{kExitUsage, "the form " + o_.formIn + " holds no KavrinLineChart"};
  } else {
    // Placed at its plain size: --size is applied once the settings are checked.
    const bool demo = source_ == Source::kDemo;
    const int w = demo ? kDemoWidth : host::kNewControlWidth;
    const int h = demo ? kDemoHeight : host::kNewControlHeight;
    site_ = &form_->Add("KavrinLineChart", "", w, h);
    chart_ = site_->ControlAs<KavrinLineChart>();
    if (demo) {
      chart_->Title(kDemoTitle);
      chart_->Unit(kDemoUnit);
      chart_->Dist(kDemoDist);
    } else if (source_ == Source::kFile) {
      const auto slash = o_.inputPath.find_last_of('/');
      chart_->Title(slash == std::string::npos ? o_.inputPath : o_.inputPath.substr(slash + 1));
    }
  }
  ApplySettings();
  // A scale of the user's own without a grid spacing gets about ten grid steps, where the
  // control's default spacing of 10 would leave grid lines under a pixel apart.
  if (o_.formIn.empty() && (UserSet("min") || UserSet("max")) && !UserSet("valuespace")) {
    const double spacing = GridSpacingFor(chart_->Min(), chart_->Max());
    if (spacing > 0) chart_->ValueSpace(spacing);
  }
  CheckDrawable();
  // Settings reach the engine when the control is configured, as a container's resize does.
  try {
    if (o_.width > 0) site_->SetSize(o_.width, o_.height);
    site_->Events()->Resize();
    std::vector<std::string> keys;
    if (source_ == Source::kDemo)
      for (size_t i = 0; i < std::size(kDemoLines); ++i) keys.push_back(LineKey(i, kDemoLines[i].key));
    FitMargins(keys);
  } catch (const RuntimeError& e) {
    throw UsageFailure{kExitUsage, std::string("the chart cannot be set up with these settings: ") + e.what()};
  }
  if (window_) site_->OnUserResize([this](int w, int h) { UserResize(w, h); });
  if (!o_.formOut.empty()) {
    std::ofstream out(o_.formOut, std::ios::binary | std::ios::trunc);
    out << form_->Save();
    out.close();
    if (!out) throw UsageFailure{kExitFailure, "cannot write the form " + o_.formOut};
    err_ << "kavrin-chart: settings saved in " << o_.formOut << "\n";
  }
}

// Applies the --set assignments in order. A value the control ignores (it keeps TitlePos
// within 0..3, MeasurePos within 0..2 and a blank Dist out) is reported, not silently lost.
void ChartRun::ApplySettings() {
  for (const auto& s : o_.sets) {
    site_->ClearDirty();
    const MemberInfo* m = FindMember(SettingName(s));
    try {
      ApplySetting(*chart_, s);
    } catch (const SettingRefused& e) {
      throw UsageFailure{kExitUsage, "--set: " + e.Why()};
    }
    if (m != nullptr && !site_->Dirty()) {
      std::vector<Variant> none;
      const Variant now = InvokeByName(*chart_, m->name, kInvokeGet, none);
      err_ << "kavrin-chart: warning: --set " << s << " was ignored: the chart does not take this value and keeps "
           << m->name << "=" << (now.Type() == VarType::kFont ? now.ToFont()->Name() : now.ToString()) << "\n";
    }
  }
}

// Lines the trial draws: the demo's, or one for a stream (whose columns are not known yet)
// and a stream's own once they are.
size_t ChartRun::TrialLines() const {
  if (source_ == Source::kDemo) return std::size(kDemoLines);
  return std::max<size_t>(lines_.size(), 1);
}

// Before the run: the settings at the size the chart will have must configure and tick on
// a throwaway form, or the run does not start (exit 2) and the message names the cause.
void ChartRun::CheckDrawable() {
  const TrialSize plain{site_->GetSurface().Width(), site_->GetSurface().Height()};
  const TrialSize size = o_.width > 0 ? TrialSize{o_.width, o_.height} : plain;
  const std::string why = TryChart(*chart_, form_->Font(), size, TrialLines());
  if (why.empty()) return;
  const std::string sizeOption =
      o_.width > 0 ? std::to_string(o_.width) + "x" + std::to_string(o_.height) : std::string();
  std::string blamed = BlameSettings(*chart_, form_->Font(), size, plain, TrialLines(), o_.sets, sizeOption);
  if (blamed.empty()) blamed = o_.formIn.empty() ? "these settings together" : "the settings of the form " + o_.formIn;
  throw UsageFailure{kExitUsage, "the chart cannot be drawn with " + blamed + " at " + std::to_string(size.width) +
                                     " x " + std::to_string(size.height) + " pixels (" + why + ")"};
}

// A window resized to a size the chart cannot be drawn at keeps the chart it has (and the
// run goes on); the user is told once per refused size.
void ChartRun::UserResize(int width, int height) {
  const std::string why = TryChart(*chart_, form_->Font(), TrialSize{width, height}, TrialLines());
  if (why.empty()) {
    refusedSize_ = {0, 0};
    site_->SetSize(width, height);
    return;
  }
  if (refusedSize_ == std::pair{width, height}) return;
  refusedSize_ = {width, height};
  err_ << "kavrin-chart: the chart cannot be drawn at " << width << " x " << height << " pixels (" << why
       << "); it stays at " << site_->GetSurface().Width() << " x " << site_->GetSurface().Height() << "\n";
}

void ChartRun::PrepareOutputs() {
  if (!o_.log && !o_.picture && o_.snapshotEvery == 0) return;
  std::string error;
  if (!MakeFolder(o_.outDir, error)) throw UsageFailure{kExitFailure, "cannot make the output folder " + error};
  // Absolute, ending in "/": the control trims blanks around a folder path, which must not
  // change the folder a user named.
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(o_.outDir, ec).lexically_normal();
  folder_ = FolderPath(ec ? o_.outDir : absolute.string());
  stamp_ = StampName(std::time(nullptr));
  base_ = FreeBase(stamp_, [this](const std::string& b) { return BaseTaken(b); });
}

bool ChartRun::BaseTaken(const std::string& b) const {
  return std::find(refusedBases_.begin(), refusedBases_.end(), b) != refusedBases_.end() ||
         FileExists(folder_ + b + ".log") || FileExists(folder_ + b + ".bmp") || FileExists(folder_ + b + ".png");
}

// write(base) creates one of the run's files new, named after base. Until the run has made a
// file of its own, a name another run took moves it to the next free base name.
Written ChartRun::WriteNamed(const Writer& write) {
  for (;;) {
    const Written w = write(base_);
    if (w == Written::kYes) baseClaimed_ = true;
    if (w != Written::kNameTaken || baseClaimed_) return w;
    refusedBases_.push_back(base_);
    base_ = FreeBase(stamp_, [this](const std::string& b) { return BaseTaken(b); });
  }
}

bool ChartRun::UserSet(const std::string& lowerName) const {
  return std::any_of(o_.sets.begin(), o_.sets.end(), [&](const std::string& s) { return SettingName(s) == lowerName; });
}

// The margins get room for the labels, the unit, a side title and the legend's keys,
// whether the settings came from a form or --set, unless the user gave Dist. They only
// widen; the keys are known once the columns are.
void ChartRun::FitMargins(const std::vector<std::string>& keys) {
  if (UserSet("dist")) return;
  host::MarginFit fit;
  fit.keys = keys;
  fit.ambient = form_->Font();
  fit.keepMeasureWidth = UserSet("measurewidth");
  if (host::FitMargins(*chart_, fit)) site_->Events()->Resize();
}

// --name and --color name lines by number; one beyond the chart's lines is a usage error.
void ChartRun::CheckLineNumbers(size_t count) const {
  auto check = [count](const char* option, int line) {
    if (static_cast<size_t>(line) > count)
      throw UsageFailure{kExitUsage, std::string(option) + " " + std::to_string(line) + "=...: the chart has " +
                                         std::to_string(count) + " line" + (count == 1 ? "" : "s")};
  };
  for (const auto& n : o_.names) check("--name", n.line);
  for (const auto& c : o_.colors) check("--color", c.line);
}

// A line's legend text: --name N=TEXT when given, else the planned one.
std::string ChartRun::LineKey(size_t index, const std::string& planned) const {
  std::string key = planned;
  for (const auto& n : o_.names)
    if (static_cast<size_t>(n.line) == index + 1) key = n.text;
  return key;
}

// The columns are known: --name and --color must name lines that exist, the margins fit
// the keys and the lines are added. The log starts with the first tick, once its range is
// settled.
void ChartRun::LinesKnown() {
  lines_ = plan_->Lines();
  linesKnown_ = true;
  headerWidth_ = plan_->HeaderWidth();
  CheckLineNumbers(lines_.size());
  for (size_t i = 0; i < lines_.size(); ++i) lines_[i].key = LineKey(i, lines_[i].key);
  if (const auto t = plan_->TimeColumn()) {
    const auto& header = plan_->Header();
    const std::string name = *t < header.size() && !header[*t].empty() ? " (" + header[*t] + ")" : "";
    err_ << "kavrin-chart: column " << (*t + 1) << name << " holds the rows' time and is not charted\n";
  }
  std::vector<std::string> keys;
  for (const auto& l : lines_) keys.push_back(l.key);
  try {
    FitMargins(keys);
  } catch (const RuntimeError& e) {
    throw UsageFailure{kExitUsage, std::string("the chart cannot be set up with these settings: ") + e.what()};
  }
  AddLines();
}

void ChartRun::AddLines() {
  if (history_->Rebuilt()) history_->Restore();  // the margins were fitted: nothing to replay yet
  auto colorOf = [this](size_t index, uint32_t fallback) {
    uint32_t color = fallback;
    for (const auto& c : o_.colors)
      if (static_cast<size_t>(c.line) == index + 1) color = c.color;
    return static_cast<Long>(color);
  };
  if (source_ == Source::kDemo) {
    if (!demoPicture_) demoPicture_ = DemoPointPicture();
    for (size_t i = 0; i < std::size(kDemoLines); ++i) {
      const auto& l = kDemoLines[i];
      history_->AddLine(LineKey(i, l.key), colorOf(i, l.color), l.picture ? demoPicture_ : nullptr,
                        ToBoolean(l.tips), 0x00C0C0C0);
    }
  } else {
    // Colours that stand apart from the plot's background, whatever colour it is.
    COLORREF back = 0;
    if (OleTranslateColor(static_cast<OLE_COLOR>(chart_->ChartBackColor()), nullptr, &back) != S_OK) back = 0;
    const std::vector<uint32_t> palette = LineColorsFor(static_cast<uint32_t>(back), lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i) history_->AddLine(lines_[i].key, colorOf(i, palette[i]));
  }
}

void ChartRun::StartLog() {
  if (!o_.log) return;
  ++logPart_;
  for (;;) {
    std::string name;
    const Written w = WriteNamed([&](const std::string& base) {
      name = base + (logPart_ == 1 ? "" : "-part" + std::to_string(logPart_)) + ".log";
      std::string path = folder_;
      chart_->ExportData(True, path, name);
      // The engine creates its log new: when it holds one now, the file is this run's own.
      if (chart_->Chart() != nullptr && chart_->Chart()->bExport() != False) return Written::kYes;
      if (FileExists(folder_ + name)) return Written::kNameTaken;
      throw RuntimeError(err::kPathFileAccess, "the data log " + folder_ + name + " could not be created");
    });
    if (w == Written::kYes) {
      logs_.push_back(folder_ + name);
      logOpen_ = true;
      SaveLogForm(logs_.back());
      return;
    }
    ++logPart_;  // a later part's name was taken: the part after it
  }
}

// Beside every log (X.log) the form X.form with the chart's settings, size and lines: what
// the log's header lacks to draw the chart again. A form that cannot be written is told
// and the run goes on: the log itself is complete without it.
void ChartRun::SaveLogForm(const std::string& logPath) {
  const std::string path = logPath.substr(0, logPath.size() - 4) + ".form";
  site_->Lines().clear();
  if (const cLineChart* engine = chart_->Chart()) {
    for (Integer i = 1; i <= engine->LineCount(); ++i)
      site_->Lines().push_back({engine->Line(i).Key, engine->Line(i).Color});
  }
  std::string error;
  if (WriteTextFile(form_->Save(), path, error) != Written::kYes)
    err_ << "kavrin-chart: cannot write the log's form " << error << "\n";
}

// A window resize replaces the chart's engine: its lines and drawn history are gone and
// its log was closed with every row. The history brings the lines and the recent ticks
// back; the log goes on in a new part, opened after the replay so that it holds every
// tick once.
void ChartRun::WatchEngine() {
  if (!linesKnown_ || !history_->Rebuilt()) return;
  const int64_t replayed = history_->Restore();
  if (autoscale_) autoscale_->PlotTicks(history_->PlotTicks());
  if (logOpen_) {
    StartLog();
    err_ << "kavrin-chart: the window was resized; the chart was drawn again with its " << replayed
         << " most recent ticks and the data log goes on in " << logs_.back() << "\n";
  }
}

// The range follows the data: the chart is rebuilt with the new one (and a label column
// that fits it) and its recent ticks are replayed; the log goes on in a new part.
void ChartRun::ApplyRange(const host::ValueRange& range) {
  chart_->Min(range.min);
  chart_->Max(range.max);
  chart_->ValueSpace(range.step);
  std::vector<std::string> keys;
  for (const auto& l : lines_) keys.push_back(l.key);
  FitMargins(keys);  // rebuilds when the labels need a wider column
  if (!history_->Rebuilt()) site_->Events()->Resize();
  history_->Restore();
  autoscale_->PlotTicks(history_->PlotTicks());
  if (logOpen_) StartLog();
}

// A value the plot of a fixed range cannot show: below Min or above the top row's value.
bool ChartRun::OutsideFixedRange(double value) const {
  const double zoom = chart_->Zoom();
  const double lo = chart_->Min();
  const double hi = lo + std::fabs(chart_->Max() - lo) / zoom;
  if (!(zoom > 0) || !std::isfinite(hi)) return false;
  return value < lo || value > hi;
}

// The window's name: the chart's title (when it says more than the input's name), the
// input, and the program.
void ChartRun::NameWindow() {
  if (!window_) return;
  std::string input = "demo";
  if (source_ == Source::kStdin) input = "standard input";
  if (source_ == Source::kFile) input = o_.inputPath;
  const std::string& title = chart_->Title();
  const bool sameName = input.size() >= title.size() && input.compare(input.size() - title.size(), title.size(), title) == 0;
  site_->Window().Title((title.empty() || sameName ? "" : title + " - ") + input + " - kavrin-chart");
}

bool ChartRun::WaitUntil(Clock::time_point deadline) {
  for (;;) {
    if (Stopping()) return false;
    const auto now = Clock::now();
    if (now >= deadline) return true;
    if (window_) Pump(false);
    const auto slice = std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(15));
    std::this_thread::sleep_for(slice);
  }
}

void ChartRun::DemoTick() {
  for (int i = 0; i < 3; ++i) history_->SetValue(static_cast<Integer>(i + 1), demo_.Value(i));
  history_->Movie();
  demo_.Advance();
  AfterTick();
}

void ChartRun::StreamTick() {
  const RowSplitter& row = input_->Row();
  if (row.Truncated()) ++gaps_.wideRows;
  if (row.Count() != headerWidth_ && headerWidth_ > 0 && !widthWarned_ && row.Count() > 0) {
    widthWarned_ = true;
    err_ << "kavrin-chart: warning: the header names " << headerWidth_ << " columns but row " << row.RowNumber()
         << " has " << row.Count() << "; its fields are taken by position\n";
  }
  const bool decimalComma = row.DecimalComma();
  rowValues_.clear();
  double lo = 0;
  double hi = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const size_t c = lines_[i].column;
    if (c >= row.Count()) {
      ++gaps_.missing;
      continue;
    }
    const Field& f = row.At(c);
    const auto v = f.overlong ? std::nullopt : FieldNumber(f.text, decimalComma);
    if (!v) {
      if (gaps_.notNumber++ == 0) gaps_.firstNotNumber = Where(row.RowNumber(), c, f.text);
      continue;
    }
    if (!autoscale_ && OutsideFixedRange(*v)) {
      if (gaps_.outsideRange++ == 0) {
        gaps_.firstOutsideRange = Where(row.RowNumber(), c, f.text);
        const double top = chart_->Min() + std::fabs(chart_->Max() - chart_->Min()) / chart_->Zoom();
        gaps_.range = LabelText(chart_->Min()) + " .. " + LabelText(top);
      }
      continue;
    }
    lo = rowValues_.empty() ? *v : std::min(lo, *v);
    hi = rowValues_.empty() ? *v : std::max(hi, *v);
    rowValues_.push_back(RowValue{static_cast<Integer>(i + 1), *v, c});
  }
  // The range is settled before the values reach the chart, and the log starts with the
  // first tick's range.
  if (autoscale_ && autoscale_->Offer(lo, hi, !rowValues_.empty())) ApplyRange(*autoscale_->Current());
  if (o_.log && logPart_ == 0) StartLog();
  for (const RowValue& rv : rowValues_) {
    // A value no round range reaches, or whose pixel row does not fit the chart's
    // coordinates: a gap, not a stop.
    const auto& range = autoscale_ ? autoscale_->Current() : std::nullopt;
    bool refused = autoscale_ && (!range || rv.value < range->min || rv.value > range->max);
    try {
      if (!refused) history_->SetValue(rv.line, rv.value);
    } catch (const RuntimeError& e) {
      if (e.Number() != err::kOverflow) throw;
      refused = true;
    }
    if (refused && gaps_.outOfRange++ == 0)
      gaps_.firstOutOfRange = Where(row.RowNumber(), rv.column, row.At(rv.column).text);
  }
  history_->Movie();
  AfterTick();
}

// One step of the stream: a row read and used (a header, a skipped row or a tick), or
// nothing within the timeout. False at the end of the input.
bool ChartRun::StreamStep(int timeoutMs) {
  switch (input_->NextRow(timeoutMs)) {
    case InputStream::Status::kWaiting:
      return true;
    case InputStream::Status::kEnd:
      inputEnded_ = true;
      return false;
    case InputStream::Status::kError:
      throw RuntimeError(err::kDeviceIo, "reading the input failed: " + input_->Error());
    case InputStream::Status::kRow:
      break;
  }
  if (!linesKnown_) {
    const RowSplitter& row = input_->Row();
    std::vector<std::string_view> fields;
    for (size_t i = 0; i < row.Count(); ++i) fields.emplace_back(row.At(i).text);
    switch (plan_->Offer(fields, row.DecimalComma())) {
      case ColumnPlan::Verdict::kSkipped:
      case ColumnPlan::Verdict::kHeader:
        return true;
      case ColumnPlan::Verdict::kFailed:
        throw UsageFailure{kExitUsage, plan_->Error()};
      case ColumnPlan::Verdict::kData:
        break;
    }
    LinesKnown();
  }
  StreamTick();
  return true;
}

void ChartRun::AfterTick() {
  ++ticks_;
  if (o_.snapshotEvery > 0 && ticks_ % o_.snapshotEvery == 0) Snapshot();
  Pump(false);
}

void ChartRun::Snapshot() {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-tick%06lld.png", static_cast<long long>(ticks_));
  ++snapshots_;
  std::string error;
  const Written w = WriteNamed(
      [&](const std::string& base) { return WritePngFile(site_->GetSurface().View(), folder_ + base + suffix, error); });
  // The first failure is told at once; the count comes at the end.
  if (w != Written::kYes && failedSnapshots_++ == 0) err_ << "kavrin-chart: cannot write the snapshot " << error << "\n";
}

// The final pictures: the BMP through the control, the PNG from the surface. False when
// either could not be written (the reason is told).
bool ChartRun::SaveFinalPictures(std::vector<std::string>& written) {
  std::string file;
  std::string error;
  const Writer bmp = [&](const std::string& base) {
    file = folder_ + base + ".bmp";
    Variant path(folder_);
    if (chart_->ExportPicture(path, base + ".bmp") != False) return Written::kYes;
    // The control writes nothing, quietly, when the name is taken or the folder is gone.
    const bool taken = FileExists(file);
    error = file + (taken ? ": a file of that name is in the way" : ": the folder is no longer there");
    return taken ? Written::kNameTaken : Written::kFailed;
  };
  const Writer png = [&](const std::string& base) {
    file = folder_ + base + ".png";
    return WritePngFile(site_->GetSurface().View(), file, error);
  };
  bool ok = true;
  for (const Writer& write : {bmp, png}) {
    Written w = Written::kFailed;
    try {
      w = WriteNamed(write);
    } catch (const RuntimeError& e) {
      error = file + ": " + e.what();
    }
    if (w == Written::kYes) {
      written.push_back(file);
    } else {
      err_ << "kavrin-chart: cannot write the picture " << error << "\n";
      ok = false;
    }
  }
  return ok;
}

int ChartRun::Finish(int code) {
  // The log first: its pending rows are what the user must not lose.
  if (logOpen_) {
    try {
      chart_->ExportData(False);
      logOpen_ = false;
    } catch (const RuntimeError& e) {
      err_ << "kavrin-chart: the data log could not be completed: " << e.what() << "\n";
      code = kExitFailure;
    }
  }
  std::vector<std::string> pictures;
  if (o_.picture && !folder_.empty() && !SaveFinalPictures(pictures)) code = kExitFailure;
  if (failedSnapshots_ > 0) {
    err_ << "kavrin-chart: " << failedSnapshots_ << " of " << snapshots_ << " snapshot picture(s) could not be written\n";
    code = kExitFailure;
  }
  gaps_.Print(err_);
  const double secs = std::chrono::duration<double>(Clock::now() - started_).count();
  err_ << "kavrin-chart: " << ticks_ << " tick(s)";
  if (ticks_ > 0 && secs > 0) err_ << " in " << secs << " s (" << static_cast<int64_t>(ticks_ / secs) << " per second)";
  err_ << "\n";
  if (source_ != Source::kDemo && !linesKnown_ && code == kExitOk && o_.ticks.value_or(1) != 0)
    err_ << "kavrin-chart: the input held no data rows\n";
  for (const auto& l : logs_) err_ << "kavrin-chart: data log: " << l << "\n";
  for (const auto& p : pictures) err_ << "kavrin-chart: picture: " << p << "\n";

  // The input or --ticks ended: the window stays until it is closed (--no-hold: not).
  if (o_.hold && window_ && code == kExitOk && !Stopping()) {
    err_ << "kavrin-chart: close the window (or press Ctrl-C) to exit\n";
    try {
      while (!Stopping()) {
        Pump(true);  // a resize meanwhile draws the chart again from its history
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
      }
    } catch (const RuntimeError& e) {
      err_ << "kavrin-chart: the chart cannot be drawn again: " << e.what() << "\n";
    }
  }
  form_->Unload();
  return code;
}

int ChartRun::Execute() {
  started_ = Clock::now();
  try {
    ResolveSource();
    if (source_ == Source::kDemo) CheckLineNumbers(std::size(kDemoLines));
    MakeForm();
    Configure();
    PrepareOutputs();
    history_ = std::make_unique<host::ChartHistory>(*site_, *chart_, window_ ? kWidestWindow : 0);
    // A stream's range follows its data unless the user gave one (or a form did, or a zoom
    // that shows only a part of it).
    if (source_ != Source::kDemo && !o_.fixed && o_.formIn.empty() && !UserSet("min") && !UserSet("max") &&
        !UserSet("zoom"))
      autoscale_.emplace(history_->PlotTicks());
    NameWindow();
  } catch (const UsageFailure& f) {
    err_ << "kavrin-chart: " << OneLine(f.message) << "\n";
    return f.code;
  } catch (const RuntimeError& e) {
    err_ << "kavrin-chart: " << e.what() << "\n";
    return kExitFailure;
  }

  int code = kExitOk;
  try {
    if (source_ == Source::kDemo) {
      linesKnown_ = true;
      AddLines();
      StartLog();
    }
    Pump(true);
    const double rate = o_.rate.value_or(DefaultRate(source_));
    const auto period = rate > 0
                            ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate))
                            : Clock::duration::zero();
    auto next = Clock::now();
    // Stream reads wait briefly so that signals, the window and the pace are seen in time.
    const int readWait = window_ ? 15 : 100;
    while (!Stopping() && !(o_.ticks && ticks_ >= *o_.ticks) && !inputEnded_) {
      if (rate > 0) {
        if (!WaitUntil(next)) break;
        // After a stall the pace resumes from now rather than catching up in a burst.
        next = std::max(next + period, Clock::now() - period);
      }
      if (source_ == Source::kDemo) {
        DemoTick();
        continue;
      }
      // With a pace, wait for the next row rather than for the next tick time.
      const int64_t before = ticks_;
      while (ticks_ == before && !inputEnded_ && !Stopping()) {
        if (!StreamStep(readWait)) break;
        if (window_) Pump(false);
        if (rate <= 0) break;
      }
    }
  } catch (const UsageFailure& f) {
    err_ << "kavrin-chart: " << OneLine(f.message) << "\n";
    form_->Unload();
    return f.code;
  } catch (const RuntimeError& e) {
    err_ << "kavrin-chart: run-time error " << e.Number() << ": " << e.what() << "\n";
    code = kExitFailure;
  }
  if (g_stop != 0) err_ << "kavrin-chart: stopped by a signal\n";
  if (window_ && form_->DisplayLost()) {
    // Like a stop signal: the run ends with its log and pictures complete, and says why.
    err_ << "kavrin-chart: the connection to the display was lost; the run ends\n";
    if (code == kExitOk) code = kExitDisplayLost;
  }
  return Finish(code);
}

}  // namespace

void InstallStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a wait in poll or sleep returns at once
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

void RequestStop() { g_stop = 1; }

int RunChart(const Options& options, std::ostream& err) {
  ChartRun run(options, err);
  return run.Execute();
}

}  // namespace kavrin::app
