// Test main: after every test, the drawing layer must count exactly the live objects it
// counted before the test; anything more is a leak of the code under test.
#include <gtest/gtest.h>

#include "draw/gdi_host.h"

namespace {

class LeakListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { before_ = kavrin::gdi::CountLiveObjects(); }
  void OnTestEnd(const testing::TestInfo& info) override {
    const auto after = kavrin::gdi::CountLiveObjects();
    if (!(after == before_)) {
      ADD_FAILURE_AT(info.file(), info.line())
          << "GDI objects leaked by " << info.test_suite_name() << "." << info.name()
          << ": dcs " << before_.dcs << "->" << after.dcs << ", pens " << before_.pens << "->"
          << after.pens << ", brushes " << before_.brushes << "->" << after.brushes << ", fonts "
          << before_.fonts << "->" << after.fonts << ", bitmaps " << before_.bitmaps << "->"
          << after.bitmaps << ", palettes " << before_.palettes << "->" << after.palettes;
    }
  }
  kavrin::gdi::LiveObjects before_;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new LeakListener);
  return RUN_ALL_TESTS();
}
