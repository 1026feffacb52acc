#include "host/form.h"

#include <algorithm>

#include "common/vb_error.h"
#include "host/form_bag.h"
#include "host/form_text.h"

namespace kavrin::host {

namespace {
// The container's own entries in each control's bag: the control's size in pixels.
constexpr const char* kWidthEntry = "_Width";
constexpr const char* kHeightEntry = "_Height";

FontRef DefaultFont() { return std::make_shared<StdFont>(); }

void AppendLines(std::string& out, const std::vector<SavedLine>& lines) {
  if (lines.empty()) return;
  out += "      BeginProperty Lines\n";
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    AppendEntry(out, 3, "Key" + n, Variant(lines[i].key));
    AppendEntry(out, 3, "Color" + n, Variant::FromLong(lines[i].color));
  }
  out += "      EndProperty\n";
}

// The lines of a Lines block: Key<n> for every n from 1 to the highest, Color<n> optional.
std::vector<SavedLine> ReadLines(const std::vector<TextEntry>& entries) {
  std::vector<SavedLine> lines;
  std::vector<bool> keyed;
  for (const auto& e : entries) {
    const size_t n = static_cast<size_t>(LineEntryNumber(e.name));
    if (n > lines.size()) {
      lines.resize(n);
      keyed.resize(n);
    }
    const Variant v = DecodeEntry(e);
    try {
      if (e.name[0] == 'K') {
        lines[n - 1].key = v.ToString();
        keyed[n - 1] = true;
      } else {
        lines[n - 1].color = v.ToLong();
      }
    } catch (const RuntimeError&) {
      Raise(err::kTypeMismatch, "Type mismatch: form text line " + std::to_string(e.line) + ": " + e.name +
                                    " cannot take a " + v.TypeName() + " value");
    }
  }
  for (size_t i = 0; i < keyed.size(); ++i) {
    if (!keyed[i])
      Raise(err::kTypeMismatch, "Type mismatch: form text: the Lines block has no Key" + std::to_string(i + 1));
  }
  return lines;
}

// The message of an error without its "Run-time error 'N': " prefix.
std::string MessageOf(const RuntimeError& e) {
  const std::string what = e.what();
  const auto colon = what.find("': ");
  return colon == std::string::npos ? what : what.substr(colon + 3);
}

// Values are converted (13) or checked (380) right after they are read from the bag, so
// such an error belongs to the entry read last: it is raised again naming that entry.
[[noreturn]] void RaiseNamingLastEntry(const RuntimeError& e, const FormBag& bag) {
  const int n = e.Number();
  const std::string message = MessageOf(e);
  if ((n != err::kTypeMismatch && n != err::kInvalidPropertyValue) || bag.LastReadLine() == 0 ||
      message.find("form text line") != std::string::npos)
    throw e;
  // "<standard message>: form text line N: Name[: detail]", as the text's own errors read.
  const std::string standard = StandardMessage(n);
  std::string detail = message.rfind(standard, 0) == 0 ? message.substr(standard.size()) : ": " + message;
  if (detail.rfind(": ", 0) != 0) detail.clear();
  Raise(n, standard + ": form text line " + std::to_string(bag.LastReadLine()) + ": " + bag.LastReadName() + detail);
}
}  // namespace

Form::Form(std::unique_ptr<WindowBackend> backend, std::string name)
    : backend_(std::move(backend)), name_(std::move(name)), font_(DefaultFont()) {}

Form::~Form() {
  try {
    Unload();
  } catch (...) {
    // A control's failing Terminate cannot be reported from here; the sites go anyway.
    sites_.clear();
  }
}

void Form::RegisterClass(const std::string& className, Factory factory) { classes_[className] = std::move(factory); }

ControlSite* Form::Find(const std::string& name) {
  for (auto& s : sites_)
    if (s->Name() == name) return s.get();
  return nullptr;
}

std::string Form::FreeName(const std::string& className) const {
  for (int n = 1;; ++n) {
    std::string name = className + std::to_string(n);
    if (std::none_of(sites_.begin(), sites_.end(), [&](const auto& s) { return s->Name() == name; })) return name;
  }
}

void Form::CheckPixelBudget(const ControlSite* site, int width, int height) const {
  Surface::CheckSize(width, height);
  int64_t total = int64_t{width} * height;
  for (const auto& s : sites_)
    if (s.get() != site) total += int64_t{s->GetSurface().Width()} * s->GetSurface().Height();
  if (total > kMaxFormPixels)
    Raise(err::kInvalidPropertyValue, "Invalid control size " + std::to_string(width) + " x " + std::to_string(height) +
                                          ": the form's controls would hold more than " +
                                          std::to_string(kMaxFormPixels) + " pixels together");
}

ControlSite& Form::Site(const std::string& className, const std::string& name, int width, int height) {
  const auto cls = classes_.find(className);
  if (cls == classes_.end()) Raise(err::kInvalidCall, "Unknown control class '" + className + "'");
  if (!IsEntryName(name) || Find(name) != nullptr) Raise(err::kInvalidCall, "Invalid or used control name '" + name + "'");
  if (sites_.size() >= kMaxControlsPerForm)
    Raise(err::kInvalidCall, "A form holds at most " + std::to_string(kMaxControlsPerForm) + " controls");
  CheckPixelBudget(nullptr, width, height);
  auto site = std::make_unique<ControlSite>(*this, className, name, width, height, controlBack_, *backend_);
  site->Attach(cls->second(*site));
  sites_.push_back(std::move(site));
  return *sites_.back();
}

ControlSite& Form::Add(const std::string& className, const std::string& name, int width, int height) {
  ControlSite& site = Site(className, name.empty() ? FreeName(className) : name, width, height);
  try {
    site.Events()->InitProperties();
    site.Events()->Resize();
  } catch (...) {
    Remove(site);
    throw;
  }
  return site;
}

std::string Form::Save() {
  std::string out = "Begin Form " + name_ + "\n";
  FormBag own;
  own.WriteProperty("Font", Variant(font_), Variant(DefaultFont()));
  own.AppendText(out, 1);
  for (auto& site : sites_) {
    FormBag bag;
    bag.WriteProperty(kWidthEntry, Variant(static_cast<Long>(site->GetSurface().Width())), Variant(Long{kNewControlWidth}));
    bag.WriteProperty(kHeightEntry, Variant(static_cast<Long>(site->GetSurface().Height())),
                      Variant(Long{kNewControlHeight}));
    site->Events()->WriteProperties(bag);
    out += "   Begin " + site->ClassName() + " " + site->Name() + "\n";
    bag.AppendText(out, 2);
    AppendLines(out, site->Lines());
    out += "   End\n";
  }
  out += "End\n";
  for (auto& site : sites_) site->ClearDirty();
  return out;
}

void Form::Load(std::string_view text) {
  FormText parsed = ParseFormText(text);  // a text of the wrong shape changes nothing
  Unload();
  try {
    FormBag own(std::move(parsed.entries));
    FontRef font = own.ReadProperty("Font", Variant(DefaultFont())).ToFont();
    font_ = font ? font : DefaultFont();
    name_ = parsed.name;
    for (auto& c : parsed.controls) {
      if (classes_.find(c.className) == classes_.end())
        Raise(err::kTypeMismatch, "Type mismatch: form text line " + std::to_string(c.line) + ": unknown control class '" +
                                      c.className + "'");
      FormBag bag(std::move(c.entries));
      Long width = 0;
      Long height = 0;
      try {
        width = bag.ReadProperty(kWidthEntry, Variant(Long{kNewControlWidth})).ToLong();
        height = bag.ReadProperty(kHeightEntry, Variant(Long{kNewControlHeight})).ToLong();
      } catch (const RuntimeError& e) {
        RaiseNamingLastEntry(e, bag);
      }
      ControlSite& site = Site(c.className, c.name, width, height);
      try {
        site.Events()->ReadProperties(bag);
      } catch (const RuntimeError& e) {
        RaiseNamingLastEntry(e, bag);
      }
      site.Lines() = ReadLines(c.lines);
      site.Events()->Resize();
    }
  } catch (...) {
    Unload();
    throw;
  }
}

void Form::Unload() {
  // Every control gets its Terminate even when an earlier one fails; the first error is
  // raised once all are gone.
  std::exception_ptr first;
  for (auto& s : sites_) {
    try {
      s->Terminate();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  sites_.clear();
  if (first) std::rethrow_exception(first);
}

void Form::Remove(ControlSite& site) {
  const auto it = std::find_if(sites_.begin(), sites_.end(), [&](const auto& s) { return s.get() == &site; });
  if (it == sites_.end()) return;
  std::unique_ptr<ControlSite> gone = std::move(*it);
  sites_.erase(it);
  gone->Terminate();
}

bool Form::Dirty() const {
  return std::any_of(sites_.begin(), sites_.end(), [](const auto& s) { return s->Dirty(); });
}

bool Form::CloseRequested() const {
  return std::any_of(sites_.begin(), sites_.end(), [](const auto& s) { return s->Window().CloseRequested(); });
}

}  // namespace kavrin::host
