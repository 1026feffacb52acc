#pragma once
// The command line of kavrin-chart: what to read, how to show it, where to write.
// Parsing is pure (no files, no display): it turns argv into Options or a usage error.
// Paths are kept as the one path rule reads them ("\" and "/" both separate folders).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavrin::app {

enum class Source { kAuto, kDemo, kStdin, kFile };
enum class Display { kAuto, kHeadless, kWindow };

// --name N=TEXT and --color N=COLOR: N counts the chart's lines from 1.
struct LineLabel {
  int line = 0;
  std::string text;
};
struct LineColor {
  int line = 0;
  uint32_t color = 0;  // 0x00BBGGRR
};

// How rows make ticks: one row one tick, N rows by their mean or by their least and
// greatest values (two lines for each column), or the rows of each span of the time column.
enum class Aggregate { kNone, kMean, kMinMax };

struct Options {
  Source source = Source::kAuto;  // kAuto: stdin when it is piped, else the demo
  std::string inputPath;          // kFile
  std::vector<std::string> columns;  // none: all numeric columns; each a 1-based number or a header name
  std::vector<LineLabel> names;      // --name N=TEXT
  std::vector<LineColor> colors;     // --color N=COLOR
  char delimiter = 0;                // 0: blanks, commas and semicolons; ' ': blanks only
  bool decimalComma = false;         // "3,5" is 3.5 and commas do not separate
  Aggregate aggregate = Aggregate::kNone;  // --mean N, --minmax N, --per SECONDS (by the mean)
  int64_t perRows = 1;                     // rows of a tick, for --mean and --minmax
  double perSeconds = 0;                   // --per: seconds of the time column a tick takes
  std::string formIn;             // --form
  std::string formOut;            // --save-form
  std::vector<std::string> sets;  // --set Name=Value, in command-line order
  int width = 0;                  // 0: the control's own size (or the loaded form's)
  int height = 0;
  std::optional<double> rate;    // ticks per second; 0 as fast as possible
  std::optional<int64_t> ticks;  // stop after this many ticks
  std::string outDir = ".";
  int64_t snapshotEvery = 0;  // 0: no snapshots
  Display display = Display::kAuto;
  bool hold = true;    // a window stays open after a finite input or --ticks ends, until it is closed
  bool fixed = false;  // keep the chart's range; without it and without Min and Max it follows the data
  bool log = true;
  bool picture = true;
  bool timeAxis = true;  // the strip of time labels under the chart, in the window and the pictures
  int keepPlots = 10;    // --keep: plot widths of ticks the window can go back through
  bool help = false;
};

struct ParseResult {
  Options options;
  std::string error;  // non-empty: bad usage, with what was wrong
};

ParseResult ParseOptions(const std::vector<std::string>& args);

// The --help text.
std::string UsageText();

// What the command line says of line `index` (0-based): its --name (else `planned`), its
// --color (else `fallback`).
std::string LineKeyFor(const Options& options, size_t index, const std::string& planned);
uint32_t LineColorFor(const Options& options, size_t index, uint32_t fallback);
// --name and --color name lines by number: empty when every one names one of `lines` lines,
// else the usage error.
std::string LineNumbersError(const Options& options, size_t lines);
// A --set names this property (in lower case).
bool SetsProperty(const Options& options, const std::string& lowerName);

// Ticks per second when --rate is not given: the demo ticks at a watchable pace, data
// streams tick as fast as rows arrive.
double DefaultRate(Source resolved);

}  // namespace kavrin::app
