#pragma once
// The exit codes of kavrin-chart and its log tools.

namespace kavrin::app {

enum ExitCode {
  kExitOk = 0,
  kExitFailure = 1,    // a run-time error: a log, picture or snapshot not written, a failing tick
  kExitUsage = 2,      // bad options, settings, form text or column choice
  kExitInput = 3,      // the input (or form) file cannot be read
  kExitNoDisplay = 4,  // --window without a display
  kExitDisplayLost = 5,  // the window's display went away; the log and pictures are complete
};

}  // namespace kavrin::app
