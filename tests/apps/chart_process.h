#pragma once
// Runs the built kavrin-chart as a user would: arguments, bytes on its standard input,
// its exit code, what it printed on stderr, its peak memory, and the files it wrote.
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace kavrin::test {

struct ChartResult {
  int exitCode = -1;  // -1 when it ended by a signal
  int signal = 0;
  std::string err;  // everything it wrote to stderr
  // Peak resident memory. It includes what the test process held when it forked, so
  // compare runs made from the same test state, with big inputs passed as inputFile.
  long maxRssKb = 0;
};

struct ChartCall {
  ChartCall(std::vector<std::string> a, std::string in = "", std::string inFile = "")
      : args(std::move(a)), input(std::move(in)), inputFile(std::move(inFile)) {}
  std::vector<std::string> args;
  std::string input;      // written to its stdin, which is then closed
  std::string inputFile;  // else: its stdin is this file
  bool unsetDisplay = false;
  int timeoutSeconds = 120;  // killed after this, and the result says so
  std::string cwd;           // its working folder; empty: the test's
};

ChartResult RunChartProcess(const ChartCall& call);

// A process left running with its stdin open, for tests that signal or close it.
class RunningChart {
 public:
  explicit RunningChart(const std::vector<std::string>& args);
  ~RunningChart();
  RunningChart(const RunningChart&) = delete;
  RunningChart& operator=(const RunningChart&) = delete;

  void Write(const std::string& bytes);
  void CloseInput();
  void Signal(int sig);
  // What it wrote to stderr so far, read until that holds `text` or the time is up.
  std::string ErrUntil(const std::string& text, int seconds = 20);
  // Waits for the end (kills it after the timeout) and collects stderr.
  ChartResult Wait(int timeoutSeconds = 60);
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int err_ = -1;
  std::string errSoFar_;
  bool done_ = false;
};

// A fresh, empty folder for one test's outputs.
std::string FreshDir(const std::string& name);
// The files in dir and the folders in it (a run writes into a folder of its own) whose
// names end with suffix, sorted.
std::vector<std::string> FilesEndingWith(const std::string& dir, const std::string& suffix);
// The data rows of an export log in tick order (oldest first): each row line holds its
// rows newest first, each followed by "/".
std::vector<std::string> LogRows(const std::string& path);
// The first part of each run's data log in dir and its folders (a rebuilt chart goes on
// in -partN files).
std::vector<std::string> RunLogs(const std::string& dir);
// The rows of a run's whole data log, its first part given: every part in order.
std::vector<std::string> RunLogRows(const std::string& firstPart);
// All lines of a text file (CR LF or LF).
std::vector<std::string> FileLines(const std::string& path);

}  // namespace kavrin::test
