#pragma once
// The control's settings as one binary record, for containers that keep a control's
// settings in a stream (or in a stream of its own storage): the entries the control writes
// through its property bag, every one of them, in the order written, behind a header with a
// signature, a format version and the length of what follows.
//
//   header   "KLCS", version (16 bits), entry count (16 bits), data length (32 bits)
//   entry    name length (8 bits), name (bytes), type (the automation VARIANT type number),
//            value
//   values   Integer and Boolean 16 bits, Long 32 bits, Double 64 bits, String a 32-bit
//            count of UTF-16 units and the units, font: name as a String, size in
//            ten-thousandths of a point (64 bits), weight, charset (16 bits each),
//            flags (8 bits: italic 1, underline 2, strikethrough 4); Empty and Nothing
//            carry nothing.
// All numbers little-endian. A reader takes exactly the stated length, so several records
// may follow each other in one stream. Texts are UTF-16 in the record, as automation
// strings are, and every string comes back unit for unit (common/utf16.h); records written
// when the control held its texts in the ANSI code page hold the same UTF-16 and read the
// same way.
//
// Use: WriteProperties into a record, then Bytes(); or ReadHeader on the first kHeaderSize
// bytes, ReadEntries on the data that follow, then ReadProperties from the record.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/container_site.h"

namespace kavrin {

class SettingsRecord final : public PropertyBag {
 public:
  static constexpr uint16_t kVersion = 1;
  static constexpr std::size_t kHeaderSize = 12;
  // The most data a record holds (far above 24 entries of ordinary settings): a reader
  // takes a longer stated length for damage, so a writer never writes one.
  static constexpr uint32_t kMaxData = 1u << 20;

  // Makes the font object of a font entry that is read; by default a description of its own.
  using FontMaker = std::function<FontRef(const StdFont&)>;
  SettingsRecord();
  explicit SettingsRecord(FontMaker makeFont);

  Variant ReadProperty(const std::string& name, const Variant& def) override;
  // Keeps every entry, defaults included. A picture or Missing raise 13, a name longer than
  // 255 bytes 5.
  void WriteProperty(const std::string& name, const Variant& value, const Variant& def) override;

  // The whole record, header included; nullopt when the entries take more than kMaxData
  // bytes (a record a reader would refuse is never written).
  std::optional<std::vector<uint8_t>> Bytes() const;

  enum class Status { kOk, kOtherFormat, kDamaged };
  struct Header {
    uint16_t count = 0;
    uint32_t length = 0;
  };
  // kOtherFormat for another signature or version, kDamaged for a length above kMaxData.
  static Status ReadHeader(const uint8_t* bytes, Header* header);
  // Takes the entries from exactly header.length bytes. On kDamaged the record keeps
  // nothing of them and no font object has been made.
  Status ReadEntries(const Header& header, const uint8_t* data, std::size_t size);

  struct Entry {
    std::string name;
    Variant value;
  };
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  FontMaker makeFont_;
  std::vector<Entry> entries_;
};

}  // namespace kavrin
