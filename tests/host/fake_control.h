#pragma once
// A small control for the container tests: it keeps a few settings of every value type,
// logs the container events it gets, and on Resize draws a frame and a diagonal with the
// site's DC and invalidates a rectangle of its window.
#include <string>
#include <vector>

#include "control/container_site.h"

namespace kavrin::test {

class FakeChart {
 public:
  explicit FakeChart(ContainerSite& site) : site_(site) {}

  void InitProperties();
  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag);
  void Resize();
  void Terminate();

  // Events of every FakeChart, "Name:Event", in order; tests clear it.
  static std::vector<std::string>& Log();

  ContainerSite& Site() { return site_; }
  std::string name = "Fake";  // set by tests to tell instances apart in the log
  Long color = 32768;
  std::string title = "Fake Chart";
  double zoom = 1;
  Integer pos = 3;
  Boolean shown = True;
  FontRef titleFont;
  std::string unit;
  int resizes = 0;

 private:
  ContainerSite& site_;
};

}  // namespace kavrin::test
