// A minimal C++ host of KavrinLineChart: place the chart on a form, give it two lines,
// feed values tick by tick, keep a data log and save the picture.
//   example_host OUT_DIR
#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>

#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "host/form.h"
#include "host/standard_controls.h"

int main(int argc, char** argv) {
  using namespace kavrin;
  const std::string out = argc > 1 ? argv[1] : "example_out";
  std::filesystem::create_directories(out);
  std::filesystem::remove(out + "/example.log");
  std::filesystem::remove(out + "/example.bmp");

  try {
    // A headless form (host::MakeX11Backend() would show the chart in a window).
    host::Form form(host::MakeHeadlessBackend());
    host::RegisterStandardControls(form);
    host::ControlSite& site = form.Add("KavrinLineChart", "Trend", 400, 300);
    KavrinLineChart& chart = *site.ControlAs<KavrinLineChart>();

    // Properties reach the chart when it is configured, as at a resize.
    chart.Title("Boiler");
    chart.Unit("bar");
    chart.Min(0);
    chart.Max(10);
    chart.ValueSpace(2);
    site.SetSize(420, 300);

    chart.AddLine("pressure", RGB(255, 255, 0));
    chart.AddLine("setpoint", RGB(0, 255, 255), nullptr, True);  // with value tips

    chart.ExportData(True, out, "example.log");  // a header now, then rows every 11 ticks

    for (int t = 0; t < 60; ++t) {
      chart.SetValue(1, 5 + 3 * std::sin(t / 6.0));
      if (t % 10 == 0) chart.SetValue(2, 5);  // a line without a new value has no segment
      chart.Movie();                          // one tick: scroll and draw the new values
      form.PumpEvents();                      // lets a window show the tick
    }

    chart.ExportData(False);  // writes the pending rows and closes the log
    const bool saved = chart.ExportPicture(out, "example.bmp") != False;
    form.Unload();

    const auto logSize = std::filesystem::file_size(out + "/example.log");
    std::cout << "log " << logSize << " bytes, picture " << (saved ? "saved" : "not saved") << "\n";
    return saved && logSize > 0 ? 0 : 1;
  } catch (const RuntimeError& e) {
    // Errors of the control are numbered run-time errors.
    std::cerr << "run-time error " << e.Number() << ": " << e.what() << "\n";
    return 1;
  }
}
