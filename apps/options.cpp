#include "apps/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "apps/line_colors.h"
#include "apps/settings.h"
#include "common/file_path.h"

namespace kavrin::app {
namespace {

bool ParseInt(const std::string& s, int64_t lo, int64_t hi, int64_t& out) {
  int64_t v = 0;
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, v);
  if (ec != std::errc() || p != end || s.empty() || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseRate(const std::string& s, double& out) {
  double v = 0;
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, v);
  if (ec != std::errc() || p != end || s.empty() || !std::isfinite(v) || v < 0 || v > 1e6) return false;
  out = v;
  return true;
}

// "640x480" with each side 1 .. 16384 (the largest surface a form accepts).
bool ParseSize(const std::string& s, int& w, int& h) {
  const auto x = s.find_first_of("xX");
  if (x == std::string::npos) return false;
  int64_t a = 0;
  int64_t b = 0;
  if (!ParseInt(s.substr(0, x), 1, 16384, a) || !ParseInt(s.substr(x + 1), 1, 16384, b)) return false;
  w = static_cast<int>(a);
  h = static_cast<int>(b);
  return true;
}

std::string Trimmed(const std::string& s) {
  const auto a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// "N=REST" with N a line number 1 .. 256.
bool ParseLineAssignment(const std::string& v, int& line, std::string& rest) {
  const auto eq = v.find('=');
  int64_t n = 0;
  if (eq == std::string::npos || !ParseInt(Trimmed(v.substr(0, eq)), 1, 256, n)) return false;
  line = static_cast<int>(n);
  rest = v.substr(eq + 1);
  return true;
}

// One character, or tab / space by name; digits, signs and points belong to numbers.
bool ParseDelimiter(const std::string& v, char& out) {
  if (v == "tab" || v == "\\t" || v == "\t" || v == "space" || v == " ") {
    out = ' ';
    return true;
  }
  if (v.size() != 1) return false;
  const char c = v[0];
  if ((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == '\n' || c == '\r' ||
      static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
    return false;
  out = c;
  return true;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args) {
  ParseResult r;
  Options& o = r.options;
  bool haveSource = false;
  bool holdGiven = false;
  auto fail = [&r](std::string msg) {
    // One line whatever the arguments held.
    for (char& c : msg)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    r.error = std::move(msg);
    return r;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool inlineValue = false;
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      const auto eq = arg.find('=');
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
        arg.resize(eq);
        inlineValue = true;
      }
    }
    // The option's value: after "=" or the next argument.
    auto take = [&](std::string& out) {
      if (inlineValue) {
        out = value;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    auto flag = [&]() { return !inlineValue; };

    if (arg == "-h" || arg == "--help") {
      o.help = true;
      return r;
    }
    if (arg == "--headless" || arg == "--window" || arg == "--hold" || arg == "--no-hold" || arg == "--fixed" ||
        arg == "--no-log" || arg == "--no-picture" || arg == "--no-time-axis" || arg == "--decimal-comma") {
      if (!flag()) return fail(arg + " takes no value");
      if (arg == "--headless") {
        if (o.display == Display::kWindow) return fail("--headless and --window exclude each other");
        o.display = Display::kHeadless;
      } else if (arg == "--window") {
        if (o.display == Display::kHeadless) return fail("--headless and --window exclude each other");
        o.display = Display::kWindow;
      } else if (arg == "--hold") {
        o.hold = true;
        holdGiven = true;
      } else if (arg == "--no-hold") {
        o.hold = false;
      } else if (arg == "--fixed") {
        o.fixed = true;
      } else if (arg == "--decimal-comma") {
        o.decimalComma = true;
      } else if (arg == "--no-log") {
        o.log = false;
      } else if (arg == "--no-time-axis") {
        o.timeAxis = false;
      } else {
        o.picture = false;
      }
      continue;
    }
    if (arg == "--column" || arg == "--form" || arg == "--save-form" || arg == "--set" || arg == "--size" ||
        arg == "--rate" || arg == "--ticks" || arg == "--out" || arg == "--snapshot-every" || arg == "--input" ||
        arg == "--name" || arg == "--color" || arg == "--delimiter" || arg == "--mean" || arg == "--minmax" ||
        arg == "--per" || arg == "--keep") {
      std::string v;
      if (!take(v)) return fail(arg + " needs a value");
      if (arg == "--column") {
        // One column or a list: "2", "free", "2,4,free".
        size_t start = 0;
        for (;;) {
          const auto comma = v.find(',', start);
          const std::string c = Trimmed(v.substr(start, comma == std::string::npos ? comma : comma - start));
          if (c.empty()) return fail("--column needs column numbers (1, 2, ...) or header names, as N or A,B,C");
          if (c.find_first_not_of("0123456789") == std::string::npos) {
            int64_t n = 0;
            if (!ParseInt(c, 1, 256, n)) return fail("--column " + c + ": columns are numbered 1 to 256");
          }
          o.columns.push_back(c);
          if (comma == std::string::npos) break;
          start = comma + 1;
        }
      } else if (arg == "--name") {
        LineLabel l;
        if (!ParseLineAssignment(v, l.line, l.text) || l.text.empty())
          return fail("--name " + v + ": expected LINE=TEXT with LINE 1 to 256, for example --name 1=Pressure");
        o.names.push_back(l);
      } else if (arg == "--color") {
        LineColor l;
        std::string text;
        const bool assigned = ParseLineAssignment(v, l.line, text);
        const auto color = ParseColor(Trimmed(text));
        if (!assigned || !color)
          return fail("--color " + v + ": expected LINE=COLOR with LINE 1 to 256 and COLOR #RRGGBB, #RGB or a name such as orange");
        l.color = *color;
        o.colors.push_back(l);
      } else if (arg == "--delimiter") {
        if (!ParseDelimiter(v, o.delimiter))
          return fail("--delimiter " + v + ": expected one character such as , ; | or tab or space");
      } else if (arg == "--mean" || arg == "--minmax" || arg == "--per") {
        if (o.aggregate != Aggregate::kNone) return fail("give one of --mean, --minmax and --per");
        o.aggregate = arg == "--minmax" ? Aggregate::kMinMax : Aggregate::kMean;
        if (arg == "--per") {
          if (!ParseRate(v, o.perSeconds) || o.perSeconds <= 0)
            return fail("--per " + v + ": expected the seconds of the time column one tick takes, for example 0.1");
        } else if (!ParseInt(v, 1, 1000000, o.perRows)) {
          return fail(arg + " " + v + ": expected the number of rows one tick takes, 1 to 1000000");
        }
      } else if (arg == "--keep") {
        int64_t n = 0;
        if (!ParseInt(v, 1, 1000, n)) return fail("--keep " + v + ": expected the plot widths of ticks to keep, 1 to 1000");
        o.keepPlots = static_cast<int>(n);
      } else if (arg == "--form") {
        o.formIn = NativePath(v);
      } else if (arg == "--save-form") {
        o.formOut = NativePath(v);
      } else if (arg == "--set") {
        if (v.find('=') == std::string::npos || v.front() == '=')
          return fail("--set " + v + ": expected Name=Value, for example --set Title=Pressure");
        o.sets.push_back(v);
      } else if (arg == "--size") {
        if (!ParseSize(v, o.width, o.height)) return fail("--size " + v + ": expected WxH, for example 640x480");
      } else if (arg == "--rate") {
        double rate = 0;
        if (!ParseRate(v, rate)) return fail("--rate " + v + ": expected ticks per second, 0 for as fast as possible");
        o.rate = rate;
      } else if (arg == "--ticks") {
        int64_t n = 0;
        if (!ParseInt(v, 0, std::numeric_limits<int64_t>::max(), n))
          return fail("--ticks " + v + ": expected a whole number of ticks");
        o.ticks = n;
      } else if (arg == "--out") {
        if (v.empty()) return fail("--out needs a folder");
        o.outDir = NativePath(v);
      } else if (arg == "--snapshot-every") {
        int64_t n = 0;
        if (!ParseInt(v, 1, std::numeric_limits<int64_t>::max(), n))
          return fail("--snapshot-every " + v + ": expected a number of ticks (1 or more)");
        o.snapshotEvery = n;
      } else {  // --input
        if (haveSource) return fail("give at most one input (demo, - or a file)");
        haveSource = true;
        o.source = v == "-" ? Source::kStdin : Source::kFile;
        o.inputPath = NativePath(v);
      }
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') return fail("unknown option " + args[i]);

    // Positional: demo, - (standard input) or a file.
    if (haveSource) return fail("give at most one input (demo, - or a file)");
    haveSource = true;
    if (arg == "demo") {
      o.source = Source::kDemo;
    } else if (arg == "-") {
      o.source = Source::kStdin;
    } else {
      o.source = Source::kFile;
      o.inputPath = NativePath(arg);
    }
  }
  if (o.source == Source::kDemo &&
      (!o.columns.empty() || o.delimiter != 0 || o.decimalComma || o.aggregate != Aggregate::kNone))
    return fail(std::string(!o.columns.empty()     ? "--column"
                            : o.delimiter != 0     ? "--delimiter"
                            : o.decimalComma       ? "--decimal-comma"
                            : o.perSeconds > 0     ? "--per"
                            : o.aggregate == Aggregate::kMean ? "--mean"
                                                              : "--minmax") +
                " applies to data input, not to the demo");
  if (o.decimalComma && o.delimiter == ',') return fail("--decimal-comma cannot go with --delimiter ,");
  if (holdGiven && o.display == Display::kHeadless)
    return fail("--hold keeps a window open; it cannot go with --headless");
  return r;
}

std::string LineKeyFor(const Options& options, size_t index, const std::string& planned) {
  std::string key = planned;
  for (const auto& n : options.names)
    if (static_cast<size_t>(n.line) == index + 1) key = n.text;
  return key;
}

uint32_t LineColorFor(const Options& options, size_t index, uint32_t fallback) {
  uint32_t color = fallback;
  for (const auto& c : options.colors)
    if (static_cast<size_t>(c.line) == index + 1) color = c.color;
  return color;
}

std::string LineNumbersError(const Options& options, size_t lines) {
  auto beyond = [lines](const char* option, int line) {
    return std::string(option) + " " + std::to_string(line) + "=...: the chart has " + std::to_string(lines) + " line" +
           (lines == 1 ? "" : "s");
  };
  for (const auto& n : options.names)
    if (static_cast<size_t>(n.line) > lines) return beyond("--name", n.line);
  for (const auto& c : options.colors)
    if (static_cast<size_t>(c.line) > lines) return beyond("--color", c.line);
  return {};
}

bool SetsProperty(const Options& options, const std::string& lowerName) {
  return std::any_of(options.sets.begin(), options.sets.end(),
                     [&](const std::string& s) { return SettingName(s) == lowerName; });
}

double DefaultRate(Source resolved) { return resolved == Source::kDemo ? 10.0 : 0.0; }

std::string UsageText() {
  return R"(kavrin-chart: a live strip chart of numbers, from a built-in demo or a data stream.

Usage:
  kavrin-chart [demo | - | FILE] [options]
  kavrin-chart log2csv RUN              a run's data log as CSV (tick, time when the run kept
                                       times, one column per line);
                                       RUN is the run's folder or its log (parts)
  kavrin-chart replay RUN [--form FORM] [--out DIR] [--snapshot-every N] [--no-time-axis]
                                       the chart drawn again from a run's data log
  kavrin-chart --version

Input (one of):
  demo                 three built-in signals (the default when nothing is piped in)
  -                    read rows from standard input (the default when something is piped in)
  FILE                 read rows from a file (also --input FILE, for a file named "demo")

Every input row is one tick of the chart (or N rows, see --mean). Columns are separated by
blanks, tabs, commas or semicolons; in input separated by semicolons a comma is a decimal
comma (1;3,5 is 1 and 3.5), and so it is between tabs or blanks when the first row with a
comma shows it (21,50<TAB>40,1). Fields in double quotes may hold separators ("21,50" is
21.5). A first row of words (a header) names the lines. A column of dates or times
(2026-12-08T10:00:00, 10:00:00) or of seconds under the name time, timestamp or date is
the rows' time, not a line. A field that is not a number leaves a gap in its line for
that tick; each kind of such trouble is told when it first happens (and shown in the
window's title) and summed up at the end.

Options:
  --column N|NAME      chart this column: its number (1 = first) or its header name;
                       repeatable, or a list A,B,C; default: every column that holds
                       numbers in the first data row
  --name N=TEXT        the legend name of line N (1 = the first line charted)
  --color N=COLOR      the colour of line N: #RRGGBB, #RGB or a name (orange, navy, ...);
                       default colours stand apart from the plot's background
  --delimiter C        columns are separated by C only (, ; | ... or tab or space)
  --decimal-comma      numbers have a decimal comma (3,5); commas do not separate
  --mean N             N rows make one tick, each line at their mean (for fast signals)
  --minmax N           N rows make one tick, each column as two lines: least and greatest
  --per SECONDS        the rows of each SECONDS of the time column make one tick (mean)
  --size WxH           chart size in pixels (default 320x240; the demo 480x300); a size
                       too small for the chart's labels is refused with the smallest one
  --rate HZ            ticks per second (demo: 10; data: 0 = as fast as rows arrive)
  --ticks N            stop after N ticks
  --set Name=Value     set a chart property by name; repeatable. Examples:
                         --set Title="Free memory"  --set Unit=kB
                         --set Min=0 --set Max=100  --set ValueSpace=20
                         --set ChartBackColor=#202020  --set TitlePos=2
                         --set TitleFont=Arial,12,bold
                       Properties: Title, Unit, Min, Max, ValueSpace, Zoom, TitlePos (0-3),
                       MeasurePos (0-2), MeasureWidth, Dist (margins "l,r,t,b"),
                       BorderWidth, bValueLineDisp, bTimeLineDisp, and the colours
                       BackColor, ChartBackColor, BorderColor, TitleColor, MeasureColor,
                       ValueLineColor, TimeLineColor (#RRGGBB, #RGB, a name or a number); fonts
                       TitleFont, MeasureFont, CutLineFont, UnitFont (Name[,Size][,bold][,italic])
  --form FILE          load the chart's settings from a saved form
  --save-form FILE     save the chart's settings (after --form, --size, --set) as a form
  --out DIR            folder for the data log and pictures (created if missing; default .)
  --snapshot-every N   also write a PNG picture every N ticks
  --no-log             write no data log
  --no-picture         write no final picture
  --no-time-axis       no strip of time labels under the chart (window and pictures)
  --keep PLOTS         plot widths of ticks the window can go back through (default 10)
  --headless           never open a window
  --window             open a window; fail (exit 4) when there is no display
  --no-hold            end when the input or --ticks ends; by default a window stays
                       until it is closed (--hold says so; headless runs never wait)
  --fixed              keep the range (Min, Max) as set; values outside it are gaps.
                       Without --fixed, --set Min/Max or --form the range follows the
                       data on round numbers, and the chart is redrawn with its recent
                       ticks at every change (the data log goes on in a -partN file)
  -h, --help           this text

Outputs: each run writes into a folder of its own in --out, kavrin-chart-YYYYmmdd-HHMMSS/:
the data log kavrin-chart-YYYYmmdd-HHMMSS.log (a header with the chart's settings, then the
values drawn at every tick in batches of eleven ticks, newest first; a new range or window
size goes on in -part2.log, ...); .form beside each part (the chart's settings, size and
lines, which replay reads) and .times (the time of each of its ticks, one a line); .bmp and
.png of the final chart; -tickNNNNNN.png snapshots. log2csv and replay take the run's
folder or its logs. Existing files are never
overwritten. The run ends at the end of the input, after --ticks, when the window is closed,
on Ctrl-C, SIGTERM or SIGHUP, or when the display goes away; the log and pictures are
complete in every case. In paths, \ separates folders as / does.

Time labels: under the chart, the time of the ticks its time grid lines stand on: from the
time column, else the clock when the tick was drawn, else (a file read as fast as possible)
the tick's number. In the window, Space pauses the view (the run goes on), the arrow keys
and the mouse wheel move it through the kept ticks, End or Space returns to live; the title
shows how far behind live it is and the values under the mouse pointer.

Exit codes: 0 ok (also after a stop signal), 1 run-time failure (a log, picture or
snapshot not written), 2 bad usage, 3 unreadable input file or one without data rows,
4 no display for --window, 5 the display was lost.

Examples:
  kavrin-chart                                 the demo, in a window if there is a display
  kavrin-chart demo --headless --ticks 120 --out out/
  vmstat 1 | kavrin-chart --column free        the range follows the data
  seq 1 1000 | kavrin-chart --headless --out out/
  kavrin-chart data.csv --set Title=Rig --snapshot-every 100 --out runs/
  sensor-read | kavrin-chart --minmax 40       a 1 kHz signal, a second on the plot
)";
}

}  // namespace kavrin::app
