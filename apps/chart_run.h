#pragma once
// One run of kavrin-chart: a form with one KavrinLineChart (headless or in an X11 window),
// fed from the demo or a data stream one tick per row, until the input ends, --ticks are
// done, the window is closed or a stop signal comes; then the data log gets its pending rows
// and is closed and the final pictures are written.
#include <iosfwd>

#include "apps/exit_codes.h"
#include "apps/options.h"

namespace kavrin::app {

// SIGINT, SIGTERM and SIGHUP end the run cleanly: the handler only sets a flag that the run loop
// checks; waits are short (poll with a timeout) so the flag is seen at once.
void InstallStopSignals();
// What the handler does; also for tests and embedding.
void RequestStop();

// Messages (summary, gap report, errors) go to err.
int RunChart(const Options& options, std::ostream& err);

}  // namespace kavrin::app
