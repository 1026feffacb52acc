#pragma once
// What the form drives on a control it sites: the container events. A control class is
// sited through SitedAs<T>, which forwards the events to T's members of the same names;
// T is built with the site (T(ContainerSite&)).
#include <memory>

#include "control/container_site.h"

namespace kavrin::host {

class SitedControl {
 public:
  virtual ~SitedControl() = default;
  virtual void InitProperties() = 0;
  virtual void ReadProperties(PropertyBag& bag) = 0;
  virtual void WriteProperties(PropertyBag& bag) = 0;
  virtual void Resize() = 0;
  virtual void Terminate() = 0;
};

template <typename T>
class SitedAs final : public SitedControl {
 public:
  explicit SitedAs(ContainerSite& site) : control_(site) {}
  void InitProperties() override { control_.InitProperties(); }
  void ReadProperties(PropertyBag& bag) override { control_.ReadProperties(bag); }
  void WriteProperties(PropertyBag& bag) override { control_.WriteProperties(bag); }
  void Resize() override { control_.Resize(); }
  void Terminate() override { control_.Terminate(); }
  T& Control() { return control_; }

 private:
  T control_;
};

}  // namespace kavrin::host
