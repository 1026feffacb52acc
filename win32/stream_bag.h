#pragma once
// The control's settings in a stream (IPersistStreamInit, and IPersistStorage's stream): one
// settings record (control/settings_record.h) read from or written to an IStream, with its
// fonts made as COM font objects.
#include <windows.h>
#include <objidl.h>

#include <string>

#include "control/container_site.h"
#include "control/settings_record.h"
#include "win32/com_font.h"

namespace kavrin::win32 {

class StreamBag final : public PropertyBag {
 public:
  explicit StreamBag(FontLinks& fonts);

  Variant ReadProperty(const std::string& name, const Variant& def) override;
  void WriteProperty(const std::string& name, const Variant& value, const Variant& def) override;

  // The size of the record. STG_E_CANTSAVE when the settings do not fit in a record that
  // a load takes.
  HRESULT Size(ULARGE_INTEGER* size) const;
  // Writes the record. STG_E_CANTSAVE, writing nothing, when the settings do not fit in a
  // record that a load takes; STG_E_MEDIUMFULL when the stream takes less than all of it;
  // the stream's own failure as it comes.
  HRESULT Save(IStream* stream) const;
  // Takes the entries of one record from the stream. STG_E_INVALIDHEADER for another
  // signature or an unknown version, E_FAIL for a damaged record, the stream's own
  // failure as it comes; the bag keeps nothing of a record that fails.
  HRESULT Load(IStream* stream);

 private:
  SettingsRecord record_;
};

}  // namespace kavrin::win32
