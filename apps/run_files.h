#pragma once
// A run's files: the data log (in parts, a new one whenever the chart is rebuilt) with a
// form beside each part, snapshots and the final pictures, all in one folder under one base
// name, kavrin-chart-YYYYmmdd-HHMMSS. Every file is created new, never replacing one: until
// the run has made a file of its own, a name another run took moves it to the next base.
//
// Call order: RunFiles(options, parts, messages) -> Prepare -> StartLogPart at the first tick
//   and after every rebuild -> Snapshot(tick) -> CloseLog -> SavePictures -> ListFiles.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "apps/chart_setup.h"
#include "apps/messages.h"
#include "apps/options.h"
#include "apps/output_files.h"

namespace kavrin::app {

class RunFiles {
 public:
  RunFiles(const Options& options, ChartParts& parts, Messages& messages);

  // Makes the output folder and picks the base name; throws UsageFailure (exit 1) when the
  // folder cannot be made. Nothing when no file is wanted.
  void Prepare();

  // Opens the log's next part (the first one first) with the form beside it; nothing with
  // --no-log. Throws RuntimeError when the log cannot be created.
  void StartLogPart();
  bool LogStarted() const { return part_ > 0; }
  bool LogOpen() const { return logOpen_; }
  const std::string& LastLog() const { return logs_.back(); }

  // The snapshot of this tick, when one is due; a failure is told the first time and counted.
  void Snapshot(int64_t tick);

  // The pending rows written and the log closed; false (told) when that failed.
  bool CloseLog();
  // The final pictures, BMP and PNG, when wanted; false when one could not be written (told).
  bool SavePictures();
  // False when some snapshots could not be written (told, with their count).
  bool SnapshotsWritten();
  // The log's parts and the pictures, one line each.
  void ListFiles();

 private:
  bool BaseTaken(const std::string& base) const;
  using Writer = std::function<Written(const std::string& base)>;
  Written WriteNamed(const Writer& write);
  void SaveLogForm(const std::string& logPath);

  const Options& o_;
  ChartParts& parts_;
  Messages& messages_;
  std::string folder_;  // with a trailing "/"; empty when no file is wanted
  std::string stamp_;   // the start time's name; base_ is it or it with "-2", "-3", ...
  std::string base_;
  bool baseClaimed_ = false;
  std::vector<std::string> refusedBases_;
  int part_ = 0;
  std::vector<std::string> logs_;
  bool logOpen_ = false;
  std::vector<std::string> pictures_;
  int64_t snapshots_ = 0;
  int64_t failedSnapshots_ = 0;
};

}  // namespace kavrin::app
