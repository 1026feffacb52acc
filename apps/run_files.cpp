#include "apps/run_files.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "apps/exit_codes.h"
#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"

namespace kavrin::app {

RunFiles::RunFiles(const Options& options, ChartParts& parts, Messages& messages)
    : o_(options), parts_(parts), messages_(messages) {}

void RunFiles::Prepare() {
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

bool RunFiles::BaseTaken(const std::string& b) const {
  return std::find(refusedBases_.begin(), refusedBases_.end(), b) != refusedBases_.end() ||
         FileExists(folder_ + b + ".log") || FileExists(folder_ + b + ".bmp") || FileExists(folder_ + b + ".png");
}

// write(base) creates one of the run's files new, named after base. Until the run has made a
// file of its own, a name another run took moves it to the next free base name.
Written RunFiles::WriteNamed(const Writer& write) {
  for (;;) {
    const Written w = write(base_);
    if (w == Written::kYes) baseClaimed_ = true;
    if (w != Written::kNameTaken || baseClaimed_) return w;
    refusedBases_.push_back(base_);
    base_ = FreeBase(stamp_, [this](const std::string& b) { return BaseTaken(b); });
  }
}

void RunFiles::StartLogPart() {
  if (!o_.log) return;
  KavrinLineChart& chart = *parts_.chart;
  ++part_;
  for (;;) {
    std::string name;
    const Written w = WriteNamed([&](const std::string& base) {
      name = base + (part_ == 1 ? "" : "-part" + std::to_string(part_)) + ".log";
      std::string path = folder_;
      chart.ExportData(True, path, name);
      // The engine creates its log new: when it holds one now, the file is this run's own.
      if (chart.Chart() != nullptr && chart.Chart()->bExport() != False) return Written::kYes;
      if (FileExists(folder_ + name)) return Written::kNameTaken;
      throw RuntimeError(err::kPathFileAccess, "the data log " + folder_ + name + " could not be created");
    });
    if (w == Written::kYes) {
      logs_.push_back(folder_ + name);
      logOpen_ = true;
      SaveLogForm(logs_.back());
      return;
    }
    ++part_;  // a later part's name was taken: the part after it
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

void RunFiles::Snapshot(int64_t tick) {
  if (o_.snapshotEvery == 0 || tick % o_.snapshotEvery != 0) return;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-tick%06lld.png", static_cast<long long>(tick));
  ++snapshots_;
  std::string error;
  const auto& surface = parts_.site->GetSurface();
  const Written w =
      WriteNamed([&](const std::string& base) { return WritePngFile(surface.View(), folder_ + base + suffix, error); });
  // The first failure is told at once; the count comes at the end.
  if (w != Written::kYes && failedSnapshots_++ == 0) messages_.Tell("cannot write the snapshot " + error);
}

bool RunFiles::CloseLog() {
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

// The BMP through the control, the PNG from the surface.
bool RunFiles::SavePictures() {
  if (!o_.picture || folder_.empty()) return true;
  std::string file;
  std::string error;
  const Writer bmp = [&](const std::string& base) {
    file = folder_ + base + ".bmp";
    Variant path(folder_);
    if (parts_.chart->ExportPicture(path, base + ".bmp") != False) return Written::kYes;
    // The control writes nothing, quietly, when the name is taken or the folder is gone.
    const bool taken = FileExists(file);
    error = file + (taken ? ": a file of that name is in the way" : ": the folder is no longer there");
    return taken ? Written::kNameTaken : Written::kFailed;
  };
  const Writer png = [&](const std::string& base) {
    file = folder_ + base + ".png";
    return WritePngFile(parts_.site->GetSurface().View(), file, error);
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
      pictures_.push_back(file);
    } else {
      messages_.Tell("cannot write the picture " + error);
      ok = false;
    }
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
  for (const auto& l : logs_) messages_.Tell("data log: " + l);
  for (const auto& p : pictures_) messages_.Tell("picture: " + p);
}

}  // namespace kavrin::app
