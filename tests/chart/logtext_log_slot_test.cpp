// The process's single log slot: one open file at a time, whole CR LF lines, file errors.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <iterator>
#include <string>

#include "chart/log_slot.h"
#include "common/vb_error.h"

namespace kavrin {
namespace {

namespace fs = std::filesystem;

int ErrorOf(void (*call)(const void*, const std::string&), const void* owner, const std::string& arg) {
  try {
    call(owner, arg);
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class LogSlotTest : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kavrin_slot_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    // Leave the slot free for the next test whatever happened.
    LogSlot::Close(&a_);
    LogSlot::Close(&b_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
  int a_ = 0;  // two engines: only their addresses matter
  int b_ = 0;
};

TEST_F(LogSlotTest, WritesWholeLinesEndedByCrLf) {
  LogSlot::Open(&a_, Path("run1.txt"));
  EXPECT_TRUE(LogSlot::IsOpen());
  EXPECT_TRUE(LogSlot::IsOpenBy(&a_));
  EXPECT_FALSE(LogSlot::IsOpenBy(&b_));
  LogSlot::WriteLine(&a_, "[Min]-50");
  LogSlot::WriteLine(&a_, "");
  LogSlot::WriteLine(&a_, "[1]3.5/[1]4,[2]0.5/");
  // Each line reaches the file when written, before the close.
  EXPECT_EQ(ReadAll(Path("run1.txt")), "[Min]-50\r\n\r\n[1]3.5/[1]4,[2]0.5/\r\n");
  LogSlot::Close(&a_);
  EXPECT_FALSE(LogSlot::IsOpen());
  EXPECT_EQ(ReadAll(Path("run1.txt")), "[Min]-50\r\n\r\n[1]3.5/[1]4,[2]0.5/\r\n");
}

TEST_F(LogSlotTest, SecondOpenRaises55AndKeepsTheFirstLog) {
  LogSlot::Open(&a_, Path("first.txt"));
  EXPECT_EQ(ErrorOf(LogSlot::Open, &b_, Path("second.txt")), err::kFileAlreadyOpen);
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, Path("third.txt")), err::kFileAlreadyOpen);
  EXPECT_FALSE(fs::exists(Path("second.txt")));
  EXPECT_FALSE(fs::exists(Path("third.txt")));
  EXPECT_TRUE(LogSlot::IsOpenBy(&a_));
  LogSlot::WriteLine(&a_, "still here");
  LogSlot::Close(&a_);
  EXPECT_EQ(ReadAll(Path("first.txt")), "still here\r\n");
}

TEST_F(LogSlotTest, OnlyTheOwnerWritesAndCloses) {
  LogSlot::Open(&a_, Path("owned.txt"));
  LogSlot::Close(&b_);
  LogSlot::Close(nullptr);
  LogSlot::Discard(&b_);
  EXPECT_TRUE(LogSlot::IsOpenBy(&a_));
  EXPECT_EQ(ErrorOf(LogSlot::WriteLine, &b_, "intruder"), err::kBadFileName);
  EXPECT_EQ(ErrorOf(LogSlot::WriteLine, nullptr, "intruder"), err::kBadFileName);
  LogSlot::WriteLine(&a_, "mine");
  LogSlot::Close(&a_);
  LogSlot::Close(&a_);  // a second close is harmless
  EXPECT_EQ(ErrorOf(LogSlot::WriteLine, &a_, "after close"), err::kBadFileName);
  EXPECT_EQ(ReadAll(Path("owned.txt")), "mine\r\n");
}

TEST_F(LogSlotTest, ReopensAfterCloseForAnyEngine) {
  LogSlot::Open(&a_, Path("one.txt"));
  LogSlot::Close(&a_);
  LogSlot::Open(&b_, Path("two.txt"));
  EXPECT_TRUE(LogSlot::IsOpenBy(&b_));
  LogSlot::WriteLine(&b_, "b");
  LogSlot::Close(&b_);
  LogSlot::Open(&a_, Path("three.txt"));
  LogSlot::WriteLine(&a_, "a");
  LogSlot::Close(&a_);
  EXPECT_EQ(ReadAll(Path("one.txt")), "");
  EXPECT_EQ(ReadAll(Path("two.txt")), "b\r\n");
  EXPECT_EQ(ReadAll(Path("three.txt")), "a\r\n");
}

TEST_F(LogSlotTest, FileSystemRefusalsRaiseFileErrorsAndLeaveTheSlotFree) {
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, Path("missing/run.txt")), err::kPathNotFound);
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, ""), err::kBadFileName);
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, std::string("bad\0name", 8)), err::kBadFileName);
  fs::create_directory(Path("folder"));
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, Path("folder")), err::kPathFileAccess);
  // A file in place of a folder on the path.
  std::ofstream(Path("plain")) << "x";
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, Path("plain/run.txt")), err::kPathNotFound);
  EXPECT_FALSE(LogSlot::IsOpen());
  LogSlot::Open(&a_, Path("fine.txt"));
  EXPECT_TRUE(LogSlot::IsOpenBy(&a_));
}

TEST_F(LogSlotTest, RefusalsNameTheFile) {
  fs::create_directory(Path("folder"));  // 75: a folder in the file's place
  for (const std::string& path : {Path("folder"), Path("missing/run.txt")}) {
    try {
      LogSlot::Open(&a_, path);
      ADD_FAILURE() << path;
    } catch (const RuntimeError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
}

TEST_F(LogSlotTest, PermissionProblemRaises75) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  fs::create_directory(Path("locked"));
  chmod(Path("locked").c_str(), 0500);
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, Path("locked/run.txt")), err::kPathFileAccess);
  chmod(Path("locked").c_str(), 0700);
}

TEST_F(LogSlotTest, AnExistingFileIsNeverOverwritten) {
  std::ofstream(Path("old.txt")) << "precious";
  EXPECT_EQ(ErrorOf(LogSlot::Open, &a_, Path("old.txt")), 58);
  EXPECT_FALSE(LogSlot::IsOpen());
  EXPECT_EQ(ReadAll(Path("old.txt")), "precious");
}

TEST_F(LogSlotTest, BackslashesSeparateFolders) {
  fs::create_directory(Path("logs"));
  std::string p = dir_.string() + "\\logs\\run1.txt";
  LogSlot::Open(&a_, p);
  LogSlot::WriteLine(&a_, "x");
  LogSlot::Close(&a_);
  EXPECT_EQ(ReadAll(Path("logs/run1.txt")), "x\r\n");
}

// A write that the file system cuts short is undone: the file keeps whole lines only and
// the caller gets a device error.
TEST_F(LogSlotTest, FailedWriteRaisesAndLeavesNoPartialLine) {
  LogSlot::Open(&a_, Path("limited.txt"));
  LogSlot::WriteLine(&a_, "0123456789");  // 12 bytes
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int e1 = ErrorOf(LogSlot::WriteLine, &a_, "abcdefghijklmnop");
  const int e2 = ErrorOf(LogSlot::WriteLine, &a_, "abcdefghijklmnop");
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(e1, err::kDeviceIo);
  EXPECT_EQ(e2, err::kDeviceIo);
  // The log stays open and usable once the file system accepts writes again.
  EXPECT_TRUE(LogSlot::IsOpenBy(&a_));
  LogSlot::WriteLine(&a_, "ok");
  LogSlot::Close(&a_);
  EXPECT_EQ(ReadAll(Path("limited.txt")), "0123456789\r\nok\r\n");
}

}  // namespace
}  // namespace kavrin
