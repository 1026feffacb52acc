#include "apps/run_files.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "apps/exit_codes.h"
#include "chart/line_chart.h"
#include "common/file_path.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "host/picture_file.h"

namespace kavrin::app {

RunFiles::RunFiles(const Options& options, ChartParts& parts, Messages& messages,
                   std::function<PictureRef()> picture)
    : o_(options), parts_(parts), messages_(messages), picture_(std::move(picture)) {}

void RunFiles::Prepare() {
  if (!o_.log && !o_.picture && o_.snapshotEvery == 0) return;
  std::string error;
  if (!MakeFolder(o_.outDir, error)) throw UsageFailure{kExitFailure, "cannot make the output folder " + error};
  // Absolute, ending in "/": the control trims blanks around a folder path, which must not
  // change the folder a user named.
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(o_.outDir, ec).lexically_normal();
  const std::string parent = FolderPath(ec ? o_.outDir : absolute.string());
  // Made new: a name another run took (in the same second, even at the same moment) moves
  // this one to the next.
  const std::string stamp = StampName(std::time(nullptr));
  for (int n = 1;; ++n) {
    base_ = n == 1 ? stamp : stamp + "-" + std::to_string(n);
    const Written w = MakeNewFolder(parent + base_, error);
    if (w == Written::kYes) break;
    if (w == Written::kFailed) throw UsageFailure{kExitFailure, "cannot make the run's folder " + error};
  }
  folder_ = parent + base_ + "/";
}

void RunFiles::StartLogPart() {
  if (!o_.log) return;
  CloseTimes();
  KavrinLineChart& chart = *parts_.chart;
  for (;;) {
    ++part_;
    const std::string name = base_ + (part_ == 1 ? "" : "-part" + std::to_string(part_)) + ".log";
    std::string path = folder_;
    chart.ExportData(True, path, name);
    // The engine creates its log new: when it holds one now, the file is this run's own.
    if (chart.Chart() != nullptr && chart.Chart()->bExport() != False) {
      ++logs_;
      logOpen_ = true;
      SaveLogForm(folder_ + name);
      times_ = std::make_unique<TimesWriter>(folder_ + name);
      return;
    }
    // Something put in the run's folder took the name: the part after it.
    if (!FileExists(folder_ + name))
      throw RuntimeError(err::kPathFileAccess, "the data log " + folder_ + name + " could not be created");
  }
}

// Beside every log (X.log) the form X.form with the chart's settings, size and lines: what
// the log's header lacks to draw the chart again. A form that cannot be written is told
// and the run goes on: the log itself is complete without it.
void RunFiles::SaveLogForm(const std::string& logPath) {
  const std::string path = logPath.substr(0, logPath.size() - 4) + ".form";
  host::ControlSite& site = *parts_.site;
  site.Lines().clear();
  if (const cLineChart* engine = parts_.chart->Chart()) {
    for (Integer i = 1; i <= engine->LineCount(); ++i)
      site.Lines().push_back({engine->Line(i).Key, engine->Line(i).Color});
  }
  std::string error;
  if (WriteTextFile(parts_.form->Save(), path, error) != Written::kYes)
    messages_.Tell("cannot write the log's form " + error);
}

void RunFiles::KeepTime(const host::TickTime& time) {
  std::string error;
  if (times_ && !times_->Add(time, error)) messages_.Tell("cannot write the log's times " + error);
}

void RunFiles::FlushTimes() {
  std::string error;
  if (times_ && !times_->Flush(error)) messages_.Tell("cannot write the log's times " + error);
}

void RunFiles::CloseTimes() {
  if (!times_) return;
  std::string error;
  if (!times_->Close(error)) messages_.Tell("cannot write the log's times " + error);
  timesKept_ = timesKept_ || times_->Made();
  times_.reset();
}

void RunFiles::Snapshot(int64_t tick) {
  if (o_.snapshotEvery == 0 || tick % o_.snapshotEvery != 0) return;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-tick%06lld.png", static_cast<long long>(tick));
  ++snapshots_;
  std::string error;
  // The first failure is told at once; the count comes at the end.
  if (!WritePicture(folder_ + base_ + suffix, error) && failedSnapshots_++ == 0)
    messages_.Tell("cannot write the snapshot " + error);
}

bool RunFiles::CloseLog() {
  CloseTimes();
  if (!logOpen_) return true;
  try {
    parts_.chart->ExportData(False);
    logOpen_ = false;
  } catch (const RuntimeError& e) {
    messages_.Tell(std::string("the data log could not be completed: ") + e.what());
    return false;
  }
  return true;
}

bool RunFiles::WritePicture(const std::string& path, std::string& error, const PictureRef& made) {
  try {
    const PictureRef picture = made ? made : picture_();
    gdi::PixelView view;
    if (gdi::ViewBitmap(picture->Handle(), &view)) return WritePngFile(view, path, error) == Written::kYes;
    error = path + ": the picture has no pixels";
  } catch (const RuntimeError& e) {
    error = path + ": " + e.what();
  }
  return false;
}

// The chart as the window shows it, the time strip included, as BMP and PNG.
bool RunFiles::SavePictures() {
  if (!o_.picture || folder_.empty()) return true;
  bool ok = true;
  PictureRef picture;
  const std::string bmp = folder_ + base_ + ".bmp";
  try {
    picture = picture_();
    host::SavePictureFile(picture, bmp);
    ++pictures_;
  } catch (const RuntimeError& e) {
    messages_.Tell("cannot write the picture " + bmp +
                   (e.Number() == err::kFileAlreadyExists ? std::string(": a file of that name is in the way")
                    : FileExists(folder_)                 ? std::string(": ") + e.what()
                                                          : std::string(": the folder is no longer there")));
    ok = false;
  }
  std::string error;
  if (WritePicture(folder_ + base_ + ".png", error, picture)) {
    ++pictures_;
  } else {
    messages_.Tell("cannot write the picture " + error);
    ok = false;
  }
  return ok;
}

bool RunFiles::SnapshotsWritten() {
  if (failedSnapshots_ == 0) return true;
  messages_.Tell(std::to_string(failedSnapshots_) + " of " + std::to_string(snapshots_) +
                 " snapshot picture(s) could not be written");
  return false;
}

void RunFiles::ListFiles() {
  if (folder_.empty()) return;
  const int64_t snapshots = snapshots_ - failedSnapshots_;
  if (logs_ == 0 && pictures_ == 0 && snapshots == 0) {
    ::rmdir(NativePath(folder_).c_str());  // nothing was written: no empty folder stays behind
    return;
  }
  std::string held;
  const auto add = [&held](const std::string& what) { held += (held.empty() ? "" : ", ") + what; };
  const std::string times = timesKept_ ? " and times" : "";
  if (logs_ > 0)
    add("the data log " + base_ + ".log" +
        (logs_ > 1 ? " (in " + std::to_string(logs_) + " parts, each with its form" + times + ")"
                   : " with its form" + times));
  if (pictures_ > 0) add("the final picture" + std::string(pictures_ > 1 ? "s" : ""));
  if (snapshots > 0) add(std::to_string(snapshots) + " snapshot" + (snapshots > 1 ? "s" : ""));
  messages_.Tell("the run's files are in " + folder_ + ": " + held);
}

}  // namespace kavrin::app
