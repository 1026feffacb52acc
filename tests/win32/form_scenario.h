#pragma once
// The form scenarios run on both platforms: on Windows through Wine's ATL container and the
// control's IDispatch, on Linux through the form and the control's automation table. The
// scenario is written once, against the Driver below, so that the two sides cannot drift.
// Each scenario runs twice: as written, and with every text colour changed, so that the
// pixels that differ between the two runs are the text ink of that side.
#include <cstdint>
#include <string>
#include <vector>

namespace kavrin::formtest {

// An argument passed by name to the control: a number, a text, a Boolean, a new font object
// (face in text, points in real, bold in number), the point picture (a small bitmap both
// sides build from PointPicture()), or a folder the side writes its files to (each side
// puts its own).
struct Arg {
  enum Kind { kLong, kDouble, kText, kBool, kFont, kPicture, kFolder } kind = kLong;
  int32_t number = 0;
  double real = 0;
  std::string text;
};
Arg Long(int32_t v);
Arg Double(double v);
Arg Text(std::string v);
Arg Bool(bool v);
Arg Font(std::string face, double points, bool bold);
Arg Picture();
Arg Folder();

class Driver {
 public:
  virtual ~Driver() = default;
  // A new control of 320 x 240 pixels, placed as a new instance.
  virtual void Place() = 0;
  // Property put (of an object reference for a font) and method call by name.
  virtual void Let(const std::string& name, const Arg& value) = 0;
  virtual void Call(const std::string& name, const std::vector<Arg>& args) = 0;
  // The container gives the control a new size.
  virtual void Resize(int width, int height) = 0;
  // The pictures to compare: the side captures what the control shows now.
  virtual void Snapshot(const std::string& name) = 0;
  // The control leaves the form.
  virtual void Remove() = 0;
};

// The point picture: 7 x 7 pixels, 0x00RRGGBB, rows top-down.
constexpr int kPointSide = 7;
std::vector<uint32_t> PointPicture();

// Runs every scenario; with altText the text colours differ from the plain run.
void RunScenarios(Driver& d, bool altText);

// The file names the sides write into their folder (log and picture of the scenario).
constexpr const char* kLogName = "chart.log";
constexpr const char* kPictureName = "chart.bmp";

}  // namespace kavrin::formtest
