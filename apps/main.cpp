// kavrin-chart: a live strip chart for the demo or a data stream; see --help.
//   kavrin-chart log2csv LOG...   and   kavrin-chart replay LOG   read its data logs back.
#include <iostream>
#include <string>
#include <vector>

#include "apps/chart_run.h"
#include "apps/log_tools.h"
#include "apps/options.h"

int main(int argc, char** argv) {
  using namespace kavrin::app;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "log2csv") return RunLog2Csv({args.begin() + 1, args.end()}, std::cout, std::cerr);
  if (!args.empty() && args[0] == "replay") return RunReplay({args.begin() + 1, args.end()}, std::cerr);
  if (args.size() == 1 && args[0] == "--version") {
    std::cout << "kavrin-chart " KAVRIN_VERSION "\n";
    return kExitOk;
  }
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
