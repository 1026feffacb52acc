// kavrin-chart: a live strip chart for the demo or a data stream; see --help.
#include <iostream>
#include <string>
#include <vector>

#include "apps/chart_run.h"
#include "apps/options.h"

int main(int argc, char** argv) {
  using namespace kavrin::app;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseOptions(args);
  if (!parsed.error.empty()) {
    std::cerr << "kavrin-chart: " << parsed.error << " (kavrin-chart --help shows the usage)\n";
    return kExitUsage;
  }
  if (parsed.options.help) {
    std::cout << UsageText();
    return kExitOk;
  }
  InstallStopSignals();
  try {
    return RunChart(parsed.options, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "kavrin-chart: " << e.what() << "\n";
    return kExitFailure;
  }
}
