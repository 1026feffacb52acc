// AppendBackslash: trimmed folder path with a trailing backslash.
#include "common/mod_reg.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

TEST(AppendBackslash, EnsuresOneTrailingBackslash) {
  EXPECT_EQ(AppendBackslash("C:\\logs"), "C:\\logs\\");
  EXPECT_EQ(AppendBackslash("C:\\logs\\"), "C:\\logs\\");
  EXPECT_EQ(AppendBackslash("\\"), "\\");
  EXPECT_EQ(AppendBackslash("x"), "x\\");
}

TEST(AppendBackslash, OnlyBackslashCountsAsSeparator) {
  EXPECT_EQ(AppendBackslash("/tmp/logs/"), "/tmp/logs/\\");
  EXPECT_EQ(AppendBackslash("/tmp/logs"), "/tmp/logs\\");
}

TEST(AppendBackslash, TrimsBlanksAndKeepsEmptyEmpty) {
  EXPECT_EQ(AppendBackslash(""), "");
  EXPECT_EQ(AppendBackslash("    "), "");
  EXPECT_EQ(AppendBackslash("  C:\\a b  "), "C:\\a b\\");
  EXPECT_EQ(AppendBackslash(" C:\\a\\ "), "C:\\a\\");
  // Only spaces are blanks: a tab stays part of the path.
  EXPECT_EQ(AppendBackslash("\tC:\\a"), "\tC:\\a\\");
}

}  // namespace
}  // namespace kavrin
