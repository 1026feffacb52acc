#pragma once
// A run's files, all in one folder of its own inside --out, named after the run's start,
// kavrin-chart-YYYYmmdd-HHMMSS (another run that started in the same second gets "-2", ...):
// the data log in parts (a new one whenever the chart is rebuilt), X.log, X-part2.log, ...,
// with a form and the ticks' times beside each part, snapshots X-tickNNNNNN.png and the
// final pictures X.bmp and X.png. The folder is made new, so the run's names are its own;
// every file is created new all the same.
//
// Call order: RunFiles(options, parts, messages, picture) -> Prepare -> StartLogPart at the
//   first tick and after every rebuild -> per tick: KeepTime(time), Snapshot(tick)
//   -> FlushTimes() now and then -> CloseLog -> SavePictures -> ListFiles.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "apps/chart_setup.h"
#include "apps/messages.h"
#include "apps/options.h"
#include "apps/output_files.h"
#include "apps/times_file.h"
#include "draw/std_picture.h"
#include "host/tick_time.h"

namespace kavrin::app {

class RunFiles {
 public:
  // picture: the chart as the picture files show it.
  RunFiles(const Options& options, ChartParts& parts, Messages& messages, std::function<PictureRef()> picture);

  // Makes the run's folder; throws UsageFailure (exit 1) when it cannot be made. Nothing
  // when no file is wanted.
  void Prepare();

  // Opens the log's next part (the first one first) with the form beside it; nothing with
  // --no-log. Throws RuntimeError when the log cannot be created.
  void StartLogPart();
  bool LogStarted() const { return part_ > 0; }
  bool LogOpen() const { return logOpen_; }
  int LogPart() const { return part_; }

  // The time of the tick just drawn, beside the log part it went to; a times file that
  // cannot be written is told, and the run goes on (the log is whole without it).
  void KeepTime(const host::TickTime& time);
  void FlushTimes();
  // The snapshot of this tick, when one is due; a failure is told the first time and counted.
  void Snapshot(int64_t tick);

  // The pending rows written and the log closed with its times; false (told) when the log
  // could not be completed.
  bool CloseLog();
  // The final pictures, BMP and PNG, when wanted; false when one could not be written (told).
  bool SavePictures();
  // False when some snapshots could not be written (told, with their count).
  bool SnapshotsWritten();
  // One line: the run's folder and what it holds; a folder left empty is removed.
  void ListFiles();

 private:
  void SaveLogForm(const std::string& logPath);
  void CloseTimes();
  // The PNG of the picture (made: one already taken).
  bool WritePicture(const std::string& path, std::string& error, const PictureRef& made = nullptr);

  const Options& o_;
  ChartParts& parts_;
  Messages& messages_;
  std::function<PictureRef()> picture_;
  std::unique_ptr<TimesWriter> times_;  // the open log part's
  bool timesKept_ = false;              // some part has its times file
  std::string folder_;  // the run's own, with a trailing "/"; empty when no file is wanted
  std::string base_;    // the run's name: the files' and the folder's
  int part_ = 0;        // the log's part being written
  int logs_ = 0;        // parts written
  bool logOpen_ = false;
  int pictures_ = 0;
  int64_t snapshots_ = 0;
  int64_t failedSnapshots_ = 0;
};

}  // namespace kavrin::app
