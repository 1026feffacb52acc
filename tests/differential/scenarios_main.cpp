// Runs the drawing scenarios and writes their shots to a file:
//   differential_scenarios <output file> [name filter]
// Built for Windows, it records what the real GDI draws; on Linux, what draw/ draws.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "tests/differential/scenarios.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output file> [name filter]\n", argv[0]);
    return 2;
  }
  const auto shots = kavrin::diff::RunScenarios(argc > 2 ? argv[2] : "");
  std::ofstream out(argv[1], std::ios::binary);
  kavrin::diff::WriteShots(out, shots);
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%zu shots written to %s\n", shots.size(), argv[1]);
  return 0;
}
