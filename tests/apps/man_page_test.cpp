// The man page keeps up with the program: every option `kavrin-chart --help` lists, and both
// log tools, have an entry in it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace kavrin::test {
namespace {

std::set<std::string> Options(const std::string& text) {
  static const std::regex option("--[a-z][a-z-]*");
  std::set<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) found.insert(it->str());
  return found;
}

TEST(ManPage, HasAnEntryForEveryOptionOfTheHelpAndForTheLogTools) {
  std::string help;
  if (FILE* p = popen(KAVRIN_CHART_EXE " --help", "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) help += buf;
    pclose(p);
  }
  // Entries are the lines that start with a bold macro; roff writes a hyphen as "\-".
  std::ifstream page(KAVRIN_MAN_PAGE);
  std::string entries;
  for (std::string line; std::getline(page, line);) {
    if (line.rfind(".B", 0) == 0) entries += std::regex_replace(line, std::regex(R"(\\-)"), "-") + "\n";
  }
  const std::set<std::string> listed = Options(help), described = Options(entries);
  ASSERT_GE(listed.size(), 20u) << help;
  for (const std::string& o : listed) EXPECT_EQ(described.count(o), 1u) << o << " has no entry in the man page";
  for (const char* tool : {".BI \"log2csv ", ".BI \"replay "})
    EXPECT_NE(entries.find(tool), std::string::npos) << tool << "has no entry in the man page";
}

}  // namespace
}  // namespace kavrin::test
