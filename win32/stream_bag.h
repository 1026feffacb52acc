#pragma once
// The control's settings as a stream (IPersistStreamInit): the entries the control writes
// through its property bag, every one of them, in the order written, behind a header with
// a signature, a format version and the length of what follows.
//
//   header   "KLCS", version (16 bits), entry count (16 bits), data length (32 bits)
//   entry    name length (8 bits), name (ASCII), type (the VARIANT type number), value
//   values   Integer and Boolean 16 bits, Long 32 bits, Double 64 bits, String a 32-bit
//            count of UTF-16 units and the units, font: name as a String, size in
//            ten-thousandths of a point (64 bits), weight, charset (16 bits each),
//            flags (8 bits: italic 1, underline 2, strikethrough 4); Empty and Nothing
//            carry nothing.
// All numbers little-endian. Loading reads exactly the stated length, so several objects
// may share one stream.
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "control/container_site.h"
#include "win32/com_font.h"

namespace kavrin::win32 {

inline constexpr WORD kStreamVersion = 1;

class StreamBag final : public PropertyBag {
 public:
  explicit StreamBag(FontLinks& fonts) : fonts_(fonts) {}

  Variant ReadProperty(const std::string& name, const Variant& def) override;
  void WriteProperty(const std::string& name, const Variant& value, const Variant& def) override;

  // The whole record, header included.
  std::vector<BYTE> Bytes() const;
  // Takes the entries of one record from the stream. STG_E_INVALIDHEADER for another
  // signature or an unknown version, E_FAIL for a damaged record, the stream's own
  // failure as it comes; the bag keeps nothing of a record that fails.
  HRESULT Load(IStream* stream);

 private:
  struct Entry {
    std::string name;
    Variant value;
  };
  FontLinks& fonts_;
  std::vector<Entry> entries_;
};

}  // namespace kavrin::win32
