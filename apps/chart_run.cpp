#include "apps/chart_run.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "apps/chart_setup.h"
#include "apps/demo_signals.h"
#include "apps/live_chart.h"
#include "apps/messages.h"
#include "apps/run_files.h"
#include "apps/stream_ticks.h"
#include "common/vb_error.h"

namespace kavrin::app {
namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int) { g_stop = 1; }

using Clock = std::chrono::steady_clock;

// The run loop: it pulls ticks from the source (the demo or a stream), paces them, hands
// each to the chart and the run's files, and keeps the window answering.
class ChartRun {
 public:
  ChartRun(const Options& o, std::ostream& err) : o_(o), messages_(err) {}
  int Execute();

 private:
  void SetUp();
  bool Stopping() const;
  void Pump(bool force);
  bool WaitUntil(Clock::time_point deadline);
  void Show(const Tick& tick);
  void DemoTick();
  bool StreamStep(int timeoutMs);
  void AddStreamLines();
  void ShowStreamTick();
  int Finish(int code);

  const Options& o_;
  Messages messages_;
  Source source_ = Source::kDemo;
  std::unique_ptr<StreamTicks> stream_;
  std::unique_ptr<LiveChart> chart_;
  std::unique_ptr<RunFiles> files_;
  DemoSignals demo_;
  PictureRef demoPicture_;
  Tick demoTick_;
  bool inputEnded_ = false;
  int64_t ticks_ = 0;
  Clock::time_point lastPump_{};
  Clock::time_point started_{};
};

bool ChartRun::Stopping() const {
  const host::Form& form = *chart_->Parts().form;
  return g_stop != 0 || (chart_->Window() && (form.CloseRequested() || form.DisplayLost()));
}

void ChartRun::Pump(bool force) {
  const auto now = Clock::now();
  // A window is painted at most about 60 times a second, however fast the ticks come.
  if (!force && now - lastPump_ < std::chrono::milliseconds(16)) return;
  lastPump_ = now;
  files_->FlushTimes();
  chart_->ShowView();
  chart_->Parts().form->PumpEvents();
  // A resize rebuilt the chart: its log was closed with every row and goes on in a new part,
  // opened after the replay so that it holds every tick once.
  if (const auto replayed = chart_->AfterEvents(); replayed && files_->LogOpen()) {
    files_->StartLogPart();
    messages_.Tell("the window was resized; the chart was drawn again with its " + std::to_string(*replayed) +
                   " most recent ticks and the data log goes on in part " + std::to_string(files_->LogPart()));
  }
}

bool ChartRun::WaitUntil(Clock::time_point deadline) {
  for (;;) {
    if (Stopping()) return false;
    const auto now = Clock::now();
    if (now >= deadline) return true;
    if (chart_->Window()) Pump(false);
    const auto slice = std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(15));
    std::this_thread::sleep_for(slice);
  }
}

// One tick: the range settled first (a new range rebuilds the chart and its log goes on in a
// new part; the log starts with the first tick's range), then the values drawn.
void ChartRun::Show(const Tick& tick) {
  const bool rebuilt = chart_->Settle(tick);
  if (rebuilt && files_->LogOpen()) files_->StartLogPart();
  if (!files_->LogStarted()) files_->StartLogPart();
  chart_->Draw(tick);
  files_->KeepTime(chart_->LastTime());
  ++ticks_;
  files_->Snapshot(ticks_);
  Pump(false);
}

void ChartRun::DemoTick() {
  for (size_t i = 0; i < demoTick_.values.size(); ++i) demoTick_.values[i] = demo_.Value(static_cast<int>(i));
  Show(demoTick_);
  demo_.Advance();
}

void ChartRun::AddStreamLines() {
  std::vector<ChartLine> lines;
  for (const auto& l : stream_->Lines()) {
    lines.emplace_back();
    lines.back().key = l.key;
    lines.back().sameColorAsBefore = l.sameColorAsBefore;
  }
  chart_->AddLines(lines, stream_->HasTimeColumn());
}

// One step of the stream: a row read and used (a header, a skipped row, a row gathered or a
// tick), or nothing within the timeout. False at the end of the input.
bool ChartRun::StreamStep(int timeoutMs) {
  switch (stream_->Next(timeoutMs)) {
    case StreamTicks::Step::kWaiting:
      files_->FlushTimes();  // while no row comes, the times of the ticks so far are on disk
      return true;
    case StreamTicks::Step::kRow:
      return true;
    case StreamTicks::Step::kEnd:
      inputEnded_ = true;
      return false;
    case StreamTicks::Step::kTick:
      break;
  }
  ShowStreamTick();
  return true;
}

// The stream's tick; its lines go on the chart with its first.
void ChartRun::ShowStreamTick() {
  if (!chart_->HasLines()) AddStreamLines();
  Show(stream_->Current());
}

void ChartRun::SetUp() {
  source_ = o_.source;
  if (source_ == Source::kAuto) source_ = ::isatty(STDIN_FILENO) ? Source::kDemo : Source::kStdin;
  if (source_ == Source::kDemo) {
    const std::string error = LineNumbersError(o_, std::size(kDemoLines));
    if (!error.empty()) throw UsageFailure{kExitUsage, error};
  } else {
    stream_ = std::make_unique<StreamTicks>(o_, source_, messages_);
  }
  chart_ = std::make_unique<LiveChart>(SetUpChart(o_, source_, messages_), o_, source_, messages_);
  files_ = std::make_unique<RunFiles>(o_, chart_->Parts(), messages_, [this] { return chart_->Picture(); });
  files_->Prepare();
  std::string input = "demo";
  if (source_ == Source::kStdin) input = "standard input";
  if (source_ == Source::kFile) input = o_.inputPath;
  chart_->NameWindow(input);
}

int ChartRun::Finish(int code) {
  // An input that ended without a data row charted nothing: no pictures, and a failure.
  const bool noData = stream_ && inputEnded_ && !chart_->HasLines() && o_.ticks.value_or(1) != 0;
  // The log first: its pending rows are what the user must not lose.
  if (!files_->CloseLog()) code = kExitFailure;
  if (!noData && !files_->SavePictures()) code = kExitFailure;
  if (!files_->SnapshotsWritten()) code = kExitFailure;
  messages_.Summary();
  if (noData && code == kExitOk) {
    // One line that says why, in place of the count of no ticks.
    messages_.Tell("the input held no data rows: " + stream_->NoDataReason());
    code = kExitInput;
  } else {
    const double secs = std::chrono::duration<double>(Clock::now() - started_).count();
    std::ostream& err = messages_.Stream();
    err << "kavrin-chart: " << ticks_ << " tick(s)";
    if (ticks_ > 0 && secs > 0) err << " in " << secs << " s (" << static_cast<int64_t>(ticks_ / secs) << " per second)";
    err << "\n";
  }
  files_->ListFiles();

  // The input or --ticks ended: the window stays until it is closed (--no-hold: not).
  if (o_.hold && chart_->Window() && code == kExitOk && !Stopping()) {
    messages_.Tell("close the window (or press Ctrl-C) to exit");
    try {
      while (!Stopping()) {
        Pump(true);  // a resize meanwhile draws the chart again from its history
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
      }
    } catch (const RuntimeError& e) {
      messages_.Tell(std::string("the chart cannot be drawn again: ") + e.what());
    }
  }
  chart_->Unload();
  return code;
}

int ChartRun::Execute() {
  started_ = Clock::now();
  try {
    SetUp();
  } catch (const UsageFailure& f) {
    messages_.Fail(f);
    return f.code;
  } catch (const RuntimeError& e) {
    messages_.Tell(e.what());
    return kExitFailure;
  }

  int code = kExitOk;
  try {
    if (source_ == Source::kDemo) {
      if (!demoPicture_) demoPicture_ = DemoPointPicture();
      std::vector<ChartLine> lines;
      for (const auto& l : kDemoLines)
        lines.push_back({l.key, l.color, l.picture ? demoPicture_ : nullptr, l.tips, 0x00C0C0C0});
      chart_->AddLines(lines);
      demoTick_.values.assign(lines.size(), 0.0);
      demoTick_.given.assign(lines.size(), 1);
      files_->StartLogPart();
    }
    Pump(true);
    const double rate = o_.rate.value_or(DefaultRate(source_));
    const auto period = rate > 0
                            ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate))
                            : Clock::duration::zero();
    auto next = Clock::now();
    // Stream reads wait briefly so that signals, the window and the pace are seen in time.
    const int readWait = chart_->Window() ? 15 : 100;
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
        if (chart_->Window()) Pump(false);
        if (rate <= 0) break;
      }
    }
  } catch (const UsageFailure& f) {
    messages_.Fail(f);
    chart_->Unload();
    return f.code;
  } catch (const RuntimeError& e) {
    messages_.Tell("run-time error " + std::to_string(e.Number()) + ": " + e.what());
    code = kExitFailure;
  }
  // Rows read for a tick to come are shown before the run ends, however it ends.
  try {
    if (code == kExitOk && stream_ && stream_->Flush()) ShowStreamTick();
  } catch (const RuntimeError& e) {
    messages_.Tell("run-time error " + std::to_string(e.Number()) + ": " + e.what());
    code = kExitFailure;
  }
  if (g_stop != 0) messages_.Tell("stopped by a signal");
  if (chart_->Window() && chart_->Parts().form->DisplayLost()) {
    // Like a stop signal: the run ends with its log and pictures complete, and says why.
    messages_.Tell("the connection to the display was lost; the run ends");
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
