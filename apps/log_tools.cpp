#include "apps/log_tools.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>

#include "apps/exit_codes.h"
#include "apps/line_colors.h"
#include "apps/log_reader.h"
#include "apps/output_files.h"
#include "apps/times_file.h"
#include "common/std_font.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "draw/win32.h"
#include "host/chart_history.h"
#include "host/chart_picture.h"
#include "host/form.h"
#include "host/form_text.h"
#include "host/standard_controls.h"
#include "host/time_strip.h"

namespace kavrin::app {
namespace {

namespace fs = std::filesystem;

struct ToolFailure {
  int code;
  std::string message;
};

// A run-time error's message without its "Run-time error 'N': " prefix.
std::string MessageOf(const RuntimeError& e) {
  const std::string what = e.what();
  const auto colon = what.find("': ");
  return what.rfind("Run-time error", 0) == 0 && colon != std::string::npos ? what.substr(colon + 3) : what;
}

// "X-part12.log" -> ("X", 12); "X.log" -> ("X", 1); anything else -> ("", 0).
std::pair<std::string, int> SplitPartName(const std::string& file) {
  if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".log") != 0) return {"", 0};
  const std::string stem = file.substr(0, file.size() - 4);
  const size_t dash = stem.rfind("-part");
  if (dash != std::string::npos && dash + 5 < stem.size()) {
    const std::string_view digits = std::string_view(stem).substr(dash + 5);
    int n = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (r.ec == std::errc() && r.ptr == digits.data() + digits.size() && n >= 2 && digits[0] != '0')
      return {stem.substr(0, dash), n};
  }
  return {stem, 1};
}

// A run's name as messages show it: its logs' folder and their stem ("rig/X" for
// rig/X-part2.log); the folder made absolute, so that two spellings of it are one run.
struct RunName {
  std::string shown;
  std::string folder;
  bool operator==(const RunName& o) const { return folder == o.folder && Stem() == o.Stem(); }
  std::string Stem() const { return fs::path(shown).filename().string(); }
};

RunName RunOf(const std::string& log) {
  const fs::path path(log);
  const auto [stem, part] = SplitPartName(path.filename().string());
  std::error_code ec;
  const fs::path dir = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  const fs::path absolute = fs::absolute(dir, ec).lexically_normal();
  return {(path.parent_path() / (part == 0 ? path.filename().string() : stem)).string(), absolute.string()};
}

// One data log of each run a folder holds, by run.
std::vector<std::string> RunsIn(const std::string& folder) {
  std::map<std::string, std::string> runs;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string file = entry.path().filename().string();
    const auto [stem, part] = SplitPartName(file);
    if (part > 0) runs.emplace(stem, (fs::path(folder) / file).string());
  }
  std::vector<std::string> logs;
  for (auto& [stem, log] : runs) logs.push_back(std::move(log));
  return logs;
}

// The parts of the one run the arguments name: its logs, or its folder. Two runs are never
// read as one: the tool refuses and names them.
std::vector<std::string> OneRun(const std::vector<std::string>& given, const std::string& tool) {
  std::vector<std::string> logs;
  for (const auto& g : given) {
    std::error_code ec;
    if (!fs::is_directory(g, ec)) {
      logs.push_back(g);
      continue;
    }
    const auto runs = RunsIn(g);
    if (runs.empty()) throw ToolFailure{kExitInput, g + " holds no data log"};
    logs.insert(logs.end(), runs.begin(), runs.end());
  }
  std::vector<RunName> runs;
  for (const auto& l : logs) {
    const RunName r = RunOf(l);
    if (std::find(runs.begin(), runs.end(), r) == runs.end()) runs.push_back(r);
  }
  if (runs.size() > 1) {
    std::string names;
    for (const auto& r : runs) names += (names.empty() ? "" : ", ") + r.shown;
    throw ToolFailure{kExitUsage, tool + " reads one run at a time, and these are " + std::to_string(runs.size()) +
                                      " runs: " + names + " (name one run's folder or its logs)"};
  }
  return LogParts(logs.front());
}

// The whole run: the rows of all its parts in tick order, with their times.
struct RunLog {
  std::vector<std::string> parts;
  std::vector<LogRow> rows;
  std::vector<host::TickTime> times;  // one per row; none where the part kept no time
  bool timed = false;                 // some part kept its ticks' times
  int lines = 0;                      // the highest line number that has a value
};

RunLog ReadRun(const std::vector<std::string>& parts) {
  RunLog run;
  run.parts = parts;
  for (const auto& part : run.parts) {
    DataLog log;
    try {
      log = ReadDataLogFile(part);
    } catch (const RuntimeError& e) {
      throw ToolFailure{kExitInput, part + ": " + MessageOf(e)};
    }
    std::vector<host::TickTime> times;
    try {
      times = ReadTimesBesideLog(part);
    } catch (const RuntimeError& e) {
      throw ToolFailure{kExitInput, TimesBesideLog(part) + ": " + MessageOf(e)};
    }
    // A run stopped short may have kept a time more or fewer than its log's rows.
    run.timed = run.timed || !times.empty();
    times.resize(log.rows.size());
    run.times.insert(run.times.end(), times.begin(), times.end());
    for (auto& row : log.rows) {
      if (!row.empty()) run.lines = std::max(run.lines, row.back().line);
      run.rows.push_back(std::move(row));
    }
  }
  return run;
}

std::string ReadFormFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolFailure{kExitInput, "cannot read the form " + path};
  std::string text;
  char piece[65536];
  while (in && text.size() <= host::kMaxFormTextBytes) {
    in.read(piece, sizeof piece);
    text.append(piece, static_cast<size_t>(in.gcount()));
  }
  if (text.size() > host::kMaxFormTextBytes) throw ToolFailure{kExitInput, "the form " + path + " is too large"};
  if (in.bad()) throw ToolFailure{kExitInput, "cannot read the form " + path};
  return text;
}

// The line names of the form beside the run's last part; empty when it has none.
std::vector<std::string> LineNames(const RunLog& run) {
  std::vector<std::string> names;
  const std::string formPath = FormBesideLog(run.parts.back());
  if (!FileExists(formPath)) return names;
  try {
    const host::FormText form = host::ParseFormText(ReadFormFile(formPath));
    for (const auto& control : form.controls) {
      for (const auto& e : control.lines) {
        const auto n = static_cast<size_t>(host::LineEntryNumber(e.name));
        if (e.name[0] != 'K') continue;
        if (names.size() < n) names.resize(n);
        names[n - 1] = host::DecodeEntry(e).ToString();
      }
      if (!names.empty()) break;
    }
  } catch (const RuntimeError& e) {
    throw ToolFailure{kExitInput, formPath + ": " + MessageOf(e)};
  }
  return names;
}

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::optional<double> ValueOf(const std::string& logValue) {
  const std::string plain = PlainNumber(logValue);
  double v = 0;
  const char* end = plain.data() + plain.size();
  const char* begin = plain.data() + (!plain.empty() && plain[0] == '+' ? 1 : 0);
  const auto r = std::from_chars(begin, end, v);
  if (r.ec != std::errc() || r.ptr != end) return std::nullopt;
  return v;
}

// A colour of the header: hexadecimal, eight digits for a system colour (two's complement).
Long HeaderColor(std::string_view text) {
  uint32_t v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v, 16);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) throw ToolFailure{kExitInput, "bad colour"};
  return static_cast<Long>(v);
}

double HeaderNumber(std::string_view text) {
  const auto v = ValueOf(std::string(text));
  if (!v) throw ToolFailure{kExitInput, "bad number"};
  return *v;
}

// "Name:Bold:Size"; the name may hold ":".
FontRef HeaderFont(std::string_view text) {
  const size_t sizeAt = text.rfind(':');
  const size_t boldAt = sizeAt == std::string_view::npos ? sizeAt : text.rfind(':', sizeAt - 1);
  if (boldAt == std::string_view::npos) throw ToolFailure{kExitInput, "bad font"};
  return std::make_shared<StdFont>(std::string(text.substr(0, boldAt)), HeaderNumber(text.substr(sizeAt + 1)),
                                   text.substr(boldAt + 1, sizeAt - boldAt - 1) == "True");
}

// A chart without its form: the settings the log's header holds, at the size and margins
// of a new chart (the header has neither, nor the unit).
void ApplyHeader(const DataLog& log, KavrinLineChart& chart) {
  const auto v = [&](const char* key) { return log.Value(key); };
  const auto whole = [&](const char* key) { return static_cast<Integer>(HeaderNumber(v(key))); };
  chart.Title(std::string(v("Title")));
  chart.Min(HeaderNumber(v("Min")));
  chart.Max(HeaderNumber(v("Max")));
  chart.Zoom(HeaderNumber(v("Zoom")));
  chart.ValueSpace(HeaderNumber(v("VerValueSpace")));
  chart.ChartBackColor(HeaderColor(v("BkGndColor")));
  chart.ValueLineColor(HeaderColor(v("ValueLineColor")));
  chart.TimeLineColor(HeaderColor(v("TimeLineColor")));
  chart.bValueLineDisp(whole("bValueLineDsip") != 0 ? True : False);
  chart.bTimeLineDisp(whole("bTimeLineDsip") != 0 ? True : False);
  chart.TitleFont(HeaderFont(v("TitleFont")));
  chart.TitleColor(HeaderColor(v("TitleColor")));
  chart.TitlePos(whole("TitlePos"));
  chart.CutLineFont(HeaderFont(v("CutLineFont")));
  chart.MeasureColor(HeaderColor(v("MeasureColor")));
  chart.MeasureFont(HeaderFont(v("MeasureFont")));
  chart.MeasurePos(whole("MeasurePos"));
  chart.MeasureWidth(whole("MeasureWidth"));
  chart.BorderColor(HeaderColor(v("BorderColor")));
  chart.BorderWidth(whole("BorderWidth"));
}

struct ReplayOptions {
  std::vector<std::string> logs;  // the parts of one run
  std::string form;
  std::string outDir;
  int64_t snapshotEvery = 0;
  bool timeAxis = true;
};

ReplayOptions ParseReplayArgs(const std::vector<std::string>& args) {
  ReplayOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool takesValue = a == "--form" || a == "--out" || a == "--snapshot-every";
    if (takesValue && i + 1 >= args.size()) throw ToolFailure{kExitUsage, a + " needs a value"};
    if (a == "--form") {
      o.form = args[++i];
    } else if (a == "--out") {
      o.outDir = args[++i];
    } else if (a == "--snapshot-every") {
      const std::string& v = args[++i];
      const auto r = std::from_chars(v.data(), v.data() + v.size(), o.snapshotEvery);
      if (r.ec != std::errc() || r.ptr != v.data() + v.size() || o.snapshotEvery < 1)
        throw ToolFailure{kExitUsage, "--snapshot-every needs a whole number of ticks from 1, got '" + v + "'"};
    } else if (a == "--no-time-axis") {
      o.timeAxis = false;
    } else if (!a.empty() && a[0] == '-') {
      throw ToolFailure{kExitUsage, "replay does not know the option " + a};
    } else {
      // Several parts of one run may be named (a shell pattern gives them all).
      o.logs.push_back(a);
    }
  }
  if (o.logs.empty())
    throw ToolFailure{kExitUsage, "replay needs a data log or a run's folder: kavrin-chart replay LOG [--form FORM]"};
  o.logs = OneRun(o.logs, "replay");
  return o;
}

class Replay {
 public:
  explicit Replay(const ReplayOptions& o) : o_(o) {}

  int Run(std::ostream& err) {
    const RunLog run = ReadRun(o_.logs);
    const std::string formPath = o_.form.empty() ? FormBesideLog(run.parts.back()) : o_.form;
    const bool haveForm = !o_.form.empty() || FileExists(formPath);
    host::Form form(host::MakeHeadlessBackend(), "KavrinChart");
    host::RegisterStandardControls(form);
    host::ControlSite* site = nullptr;
    KavrinLineChart* chart = nullptr;
    if (haveForm) {
      try {
        form.Load(ReadFormFile(formPath));
      } catch (const RuntimeError& e) {
        throw ToolFailure{kExitInput, "the form " + formPath + " cannot be loaded: " + MessageOf(e)};
      }
      for (size_t i = 0; i < form.Count() && chart == nullptr; ++i) {
        site = &form.At(i);
        chart = site->ControlAs<KavrinLineChart>();
      }
      if (chart == nullptr) throw ToolFailure{kExitInput, "the form " + formPath + " holds no KavrinLineChart"};
    } else {
      const std::string& last = run.parts.back();
      site = &form.Add("KavrinLineChart");
      chart = site->ControlAs<KavrinLineChart>();
      try {
        ApplyHeader(ReadDataLogFile(last), *chart);
        site->Reconfigure();
      } catch (const ToolFailure& f) {
        throw ToolFailure{kExitInput, last + ": the header has a " + f.message};
      } catch (const RuntimeError& e) {
        throw ToolFailure{kExitInput, last + ": the chart of its header cannot be drawn: " + MessageOf(e)};
      }
      err << "kavrin-chart: no form beside the log (" << formPath
          << "): drawn from the log's header at the size and margins of a new chart (--form FORM gives them)\n";
    }
    Outputs(run.parts.front());

    // Lines the log has values for and the form has no line for (a form from elsewhere)
    // get the program's default colours for the plot's background.
    const std::vector<host::SavedLine> saved = site->Lines();
    const size_t lines = std::max(saved.size(), static_cast<size_t>(run.lines));
    const std::vector<uint32_t> spare =
        LineColorsFor(Resolved(chart->ChartBackColor(), 0), Resolved(chart->BackColor(), 0xFFFFFF), lines);
    // The ticks go through a history, which keeps their times for the labels under the chart.
    host::ChartHistory history(*site, *chart);
    for (size_t i = 0; i < lines; ++i) {
      if (i < saved.size()) history.AddLine(saved[i].key, saved[i].color);
      else history.AddLine(std::to_string(i + 1), static_cast<Long>(spare[i]));
    }
    std::unique_ptr<host::TimeStrip> strip;
    if (o_.timeAxis) strip = std::make_unique<host::TimeStrip>();
    const auto picture = [&] { return host::LivePicture(*site, *chart, history, strip.get()); };
    int code = kExitOk;
    int64_t tick = 0;
    for (const LogRow& row : run.rows) {
      for (const LogEntry& e : row) {
        const auto v = ValueOf(e.value);
        if (!v) continue;
        try {
          history.SetValue(static_cast<Integer>(e.line), *v);
        } catch (const RuntimeError& ex) {
          // A value too far off the scale for a pixel row stays a gap, as it was in the run.
          if (ex.Number() != err::kOverflow) throw;
        }
      }
      history.Movie(run.times[static_cast<size_t>(tick)]);
      ++tick;
      if (o_.snapshotEvery > 0 && tick % o_.snapshotEvery == 0) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "-tick%06lld.png", static_cast<long long>(tick));
        if (!Write(picture(), base_ + suffix, err)) code = kExitFailure;
      }
    }
    if (!Write(picture(), base_ + ".png", err)) code = kExitFailure;
    err << "kavrin-chart: replayed " << tick << " tick(s) of " << run.parts.size() << " log part(s)\n";
    if (code == kExitOk) err << "kavrin-chart: picture: " << folder_ << base_ << ".png\n";
    form.Unload();
    return code;
  }

 private:
  // The pictures go to --out (else the log's folder) as X-replay.png, never replacing a
  // file: a name in use moves to X-replay-2, -3, ...
  void Outputs(const std::string& firstPart) {
    const fs::path log(firstPart);
    const std::string logDir = log.parent_path().string();
    const std::string dir = !o_.outDir.empty() ? o_.outDir : logDir.empty() ? std::string(".") : logDir;
    std::string error;
    if (!MakeFolder(dir, error)) throw ToolFailure{kExitFailure, "cannot make the output folder " + error};
    folder_ = FolderPath(dir);
    const std::string stem = SplitPartName(log.filename().string()).first;
    base_ = FreeBase((stem.empty() ? log.filename().string() : stem) + "-replay",
                     [this](const std::string& b) { return FileExists(folder_ + b + ".png"); });
  }

  bool Write(const PictureRef& picture, const std::string& name, std::ostream& err) {
    std::string error;
    gdi::PixelView view;
    if (gdi::ViewBitmap(picture->Handle(), &view) && WritePngFile(view, folder_ + name, error) == Written::kYes)
      return true;
    err << "kavrin-chart: cannot write the picture " << error << "\n";
    return false;
  }

  const ReplayOptions& o_;
  std::string folder_;
  std::string base_;
};

}  // namespace

std::vector<std::string> LogParts(const std::string& log) {
  const fs::path path(log);
  const auto [stem, part] = SplitPartName(path.filename().string());
  if (part == 0) return {log};
  const fs::path dir = path.parent_path();
  std::map<int, std::string> parts;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir.empty() ? fs::path(".") : dir, ec)) {
    const auto [s, n] = SplitPartName(entry.path().filename().string());
    if (n > 0 && s == stem) parts[n] = (dir / entry.path().filename()).string();
  }
  parts.emplace(part, log);  // the one named is read (and refused) even when the folder cannot be listed
  std::vector<std::string> out;
  for (auto& [n, p] : parts) out.push_back(std::move(p));
  return out;
}

std::string FormBesideLog(const std::string& log) {
  const bool dotLog = log.size() > 4 && log.compare(log.size() - 4, 4, ".log") == 0;
  return (dotLog ? log.substr(0, log.size() - 4) : log) + ".form";
}

std::string PlainNumber(const std::string& logValue) {
  std::string s = logValue;
  if (s.find('.') == std::string::npos) std::replace(s.begin(), s.end(), ',', '.');
  const size_t digitsAt = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
  if (s.size() > digitsAt && s[digitsAt] == '.') s.insert(digitsAt, 1, '0');
  return s;
}

int RunLog2Csv(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty())
      throw ToolFailure{kExitUsage, "log2csv needs a data log or a run's folder: kavrin-chart log2csv LOG..."};
    for (const auto& a : args) {
      if (!a.empty() && a[0] == '-') throw ToolFailure{kExitUsage, "log2csv does not know the option " + a};
    }
    const RunLog run = ReadRun(OneRun(args, "log2csv"));
    const std::vector<std::string> names = LineNames(run);
    out << (run.timed ? "tick,time" : "tick");
    for (int n = 1; n <= run.lines; ++n) {
      const auto i = static_cast<size_t>(n - 1);
      out << "," << CsvField(i < names.size() && !names[i].empty() ? names[i] : "line" + std::to_string(n));
    }
    out << "\n";
    std::vector<std::string> fields(static_cast<size_t>(run.lines));
    int64_t tick = 0;
    for (const LogRow& row : run.rows) {
      for (auto& f : fields) f.clear();
      for (const LogEntry& e : row) fields[static_cast<size_t>(e.line - 1)] = PlainNumber(e.value);
      out << ++tick;
      if (run.timed) out << "," << run.times[static_cast<size_t>(tick - 1)].Text();
      for (const auto& f : fields) out << "," << f;
      out << "\n";
    }
    out.flush();
    if (!out) throw ToolFailure{kExitFailure, "writing the CSV failed"};
    return kExitOk;
  } catch (const ToolFailure& f) {
    err << "kavrin-chart log2csv: " << f.message << "\n";
    return f.code;
  }
}

int RunReplay(const std::vector<std::string>& args, std::ostream& err) {
  try {
    const ReplayOptions o = ParseReplayArgs(args);
    Replay replay(o);
    return replay.Run(err);
  } catch (const ToolFailure& f) {
    err << "kavrin-chart replay: " << f.message << "\n";
    return f.code;
  } catch (const RuntimeError& e) {
    err << "kavrin-chart replay: run-time error " << e.Number() << ": " << e.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace kavrin::app
