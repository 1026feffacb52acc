// The Windows client (client.cpp) saves one set of settings through its own property bag
// and prints the entries as form text; this test saves the same settings on a Linux form.
// Both must hold exactly the entries of saved_settings.txt. (No font is set: a Windows font
// object reports the face and size it realizes, not those it was given.)
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "control/kavrin_line_chart.h"
#include "host/form.h"

namespace kavrin {
namespace {

// The control's entry lines, without indentation and without the container's own (_Width).
std::vector<std::string> ControlEntries(const std::string& formText) {
  std::vector<std::string> lines;
  std::istringstream in(formText);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    line.erase(0, line.find_first_not_of(' '));
    if (line.rfind("Begin KavrinLineChart", 0) == 0) {
      inside = true;
    } else if (inside && line == "End") {
      inside = false;
    } else if (inside && !line.empty() && line[0] != '_') {
      lines.push_back(line);
    }
  }
  return lines;
}

std::vector<std::string> FileLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] != '\'') lines.push_back(line);
  return lines;
}

TEST(SavedSettings, LinuxFormTextHoldsTheEntriesTheWindowsClientExpects) {
  host::Form form;
  form.RegisterClass<KavrinLineChart>("KavrinLineChart");
  KavrinLineChart& c = *form.Add("KavrinLineChart").ControlAs<KavrinLineChart>();
  // The same assignments, in the same order, as client.cpp's ApplySettings.
  c.Title("Pressure");
  c.Zoom(1.5);
  c.TitlePos(2);
  c.MeasurePos(1);
  c.bValueLineDisp(False);
  c.BorderWidth(2);
  c.BackColor(0x00FFFF);
  c.ChartBackColor(0x202020);
  c.Min(-10);
  c.Max(90.5);
  c.ValueSpace(20);
  c.MeasureWidth(4);
  c.Unit("mV");
  c.Dist("10,10,10,40");

  EXPECT_EQ(ControlEntries(form.Save()), FileLines("saved_settings.txt"));
}

}  // namespace
}  // namespace kavrin
