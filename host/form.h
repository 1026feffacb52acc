#pragma once
// The form: the container that sites controls. It owns, per control, a persistent surface,
// a window showing it and the control; it supplies the ambient font, fires the container
// events in a container's order and saves and loads its controls as form text.
//
// Call order:
//   Form(backend) -> RegisterClass(name, factory) for each control class
//   -> Add(class)        fires InitProperties, Resize
//      or Load(text)     fires ReadProperties, Resize for each control in the text
//   -> drive the controls; PumpEvents() between ticks (a user resize fires Resize)
//   -> Save()            fires WriteProperties for each control
//   -> Unload() or destructor: Terminate for each control, last.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/std_font.h"
#include "host/control_site.h"
#include "host/surface.h"
#include "host/window.h"

namespace kavrin::host {

// The size of a newly placed control, in pixels.
constexpr int kNewControlWidth = 320;
constexpr int kNewControlHeight = 240;
// The surfaces of all controls of one form together hold at most this many pixels (as
// many as the largest single surface), so that a small form text cannot claim gigabytes.
constexpr int64_t kMaxFormPixels = kMaxControlPixels;

class Form {
 public:
  using Factory = std::function<std::unique_ptr<SitedControl>(ContainerSite&)>;

  explicit Form(std::unique_ptr<WindowBackend> backend = MakeHeadlessBackend(), std::string name = "Form1");
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Makes the class known to Add and Load. T is built as T(ContainerSite&).
  void RegisterClass(const std::string& className, Factory factory);
  template <typename T>
  void RegisterClass(const std::string& className) {
    RegisterClass(className, [](ContainerSite& s) { return std::make_unique<SitedAs<T>>(s); });
  }

  // Places a new control (InitProperties, then Resize). An empty name becomes the class
  // name followed by the first free number. Raises 5 for an unknown class, a name in use
  // or a form that holds kMaxControlsPerForm controls already, and 380 for a size beyond
  // what one surface or the form's pixel budget allows.
  ControlSite& Add(const std::string& className, const std::string& name = "", int width = kNewControlWidth,
                   int height = kNewControlHeight);
  // Saves the form: WriteProperties of every control, as form text.
  std::string Save();
  // Checks the text's structure (a text of the wrong shape raises 13 and changes nothing),
  // unloads the current controls, then sites the controls of the text (ReadProperties, then
  // Resize, one control after the other). A later error leaves the form without controls
  // (those already loaded get Terminate) and is raised to the caller; a value the control
  // cannot take (13, 380) names its entry and line.
  void Load(std::string_view text);
  // Terminate for every control, in the order they were placed; the form is then empty.
  void Unload();
  // Terminates and removes one control.
  void Remove(ControlSite& site);

  const std::string& Name() const { return name_; }
  size_t Count() const { return sites_.size(); }
  ControlSite& At(size_t i) { return *sites_.at(i); }
  ControlSite* Find(const std::string& name);

  // The font the form gives its controls as the ambient font (each read gets its own
  // object with this description).
  const FontRef& Font() const { return font_; }
  void Font(FontRef f) { font_ = f ? std::move(f) : std::make_shared<StdFont>(); }
  // The colour a new surface is created with (the container's, until the control sets one).
  COLORREF ControlBackColor() const { return controlBack_; }
  void ControlBackColor(COLORREF c) { controlBack_ = c; }

  // Raises 380 unless the form's surfaces, with `site` (null for a new one) at the given
  // size, stay within kMaxFormPixels.
  void CheckPixelBudget(const ControlSite* site, int width, int height) const;

  // Changes not yet saved (PropertyChanged since the last Save or Load).
  bool Dirty() const;
  // Handles pending window events and paints; never blocks.
  void PumpEvents() { backend_->PumpEvents(); }
  // True once the user asked to close any of the form's windows.
  bool CloseRequested() const;
  // True once the windows' display connection was lost (see WindowBackend::Lost).
  bool DisplayLost() const { return backend_->Lost(); }

 private:
  ControlSite& Site(const std::string& className, const std::string& name, int width, int height);
  std::string FreeName(const std::string& className) const;

  std::unique_ptr<WindowBackend> backend_;
  std::string name_;
  FontRef font_;
  COLORREF controlBack_ = 0xFFFFFF;
  std::map<std::string, Factory> classes_;
  std::vector<std::unique_ptr<ControlSite>> sites_;
};

}  // namespace kavrin::host
