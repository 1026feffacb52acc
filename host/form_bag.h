#pragma once
// The property bag the form passes to a control's load and save events. Saving fills a
// fresh bag through WriteProperty (entries equal to their default are left out) and then
// writes it as form text; loading makes a bag of the entries read from the text, each
// decoded only when the control reads it.
#include <string>
#include <vector>

#include "control/container_site.h"
#include "host/form_text.h"

namespace kavrin::host {

class FormBag : public PropertyBag {
 public:
  FormBag() = default;
  explicit FormBag(std::vector<TextEntry> loaded);

  // A stored font comes back as a separate object, so the control never shares the bag's.
  Variant ReadProperty(const std::string& name, const Variant& def) override;
  // Raises 5 for a name that the form text cannot carry and 13 for a value that has no
  // text form (a picture, a missing argument).
  void WriteProperty(const std::string& name, const Variant& value, const Variant& def) override;

  bool Contains(const std::string& name) const;
  // The entry of the text that ReadProperty returned last (none before any read, or when
  // the last read gave the default or a written value): the control converts each value right after
  // reading it, so a conversion error belongs to this entry.
  // Its line is 0 when there is none.
  const std::string& LastReadName() const { return lastReadName_; }
  int LastReadLine() const { return lastReadLine_; }
  size_t Count() const { return entries_.size(); }
  // The entries in the order they were written, at the given indent level (an entry read
  // from text and not yet read by the control is decoded first, and may raise).
  void AppendText(std::string& out, int indent);

 private:
  struct Entry {
    std::string name;
    int line = 0;  // in the text it was read from; 0 when written
    bool decoded = false;
    Variant value;
    TextEntry text;  // until decoded
  };
  Entry* Find(const std::string& name);
  static const Variant& Decoded(Entry& e);

  std::vector<Entry> entries_;
  std::string lastReadName_;
  int lastReadLine_ = 0;
};

}  // namespace kavrin::host
