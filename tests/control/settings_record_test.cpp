// The settings record of containers that keep a control in a stream: what is written reads
// back, a record a reader would refuse is never written, damage is refused whole.
#include "control/settings_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/errors.h"

namespace kavrin {
namespace {

using Status = SettingsRecord::Status;
using Bytes = std::vector<uint8_t>;

Status Read(SettingsRecord& record, const Bytes& bytes) {
  SettingsRecord::Header header;
  if (bytes.size() < SettingsRecord::kHeaderSize) return Status::kDamaged;
  const Status status = SettingsRecord::ReadHeader(bytes.data(), &header);
  if (status != Status::kOk) return status;
  return record.ReadEntries(header, bytes.data() + 12, bytes.size() - 12);
}

// One entry "Title" (8 bits of length, 5 bytes of name), type 8, a count and the units:
// 12 + 2n bytes of data, so 524,282 units fill the record's 1,048,576 bytes exactly.
TEST(SettingsRecord, WritesOnlyWhatAReaderTakes) {
  SettingsRecord full;
  full.WriteProperty("Title", std::string(524282, 'x'), "");
  const auto bytes = full.Bytes();
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 12u + 1048576u);
  SettingsRecord read;
  ASSERT_EQ(Read(read, *bytes), Status::kOk);
  EXPECT_EQ(read.ReadProperty("Title", "").ToString().size(), 524282u);

  SettingsRecord over;
  over.WriteProperty("Title", std::string(524283, 'x'), "");
  EXPECT_FALSE(over.Bytes());
}

// Records written when the control kept its texts in the ANSI code page hold UTF-16 as
// today's do: "Δp" is the units 0394 0070. Empty is type 0 and Nothing type 9.
TEST(SettingsRecord, ReadsARecordOfTheFirstFormat) {
  const Bytes old = {'K', 'L', 'C', 'S', 1, 0, 3, 0, 24, 0, 0, 0,
                     5, 'T', 'i', 't', 'l', 'e', 8, 0, 2, 0, 0, 0, 0x94, 0x03, 0x70, 0x00,
                     1, 'E', 0, 0, 1, 'N', 9, 0};
  SettingsRecord record;
  ASSERT_EQ(Read(record, old), Status::kOk);
  EXPECT_EQ(record.ReadProperty("Title", "").ToString(), "\xCE\x94p");
  EXPECT_EQ(record.ReadProperty("E", 1).Type(), VarType::kEmpty);
  EXPECT_EQ(record.ReadProperty("N", 1).Type(), VarType::kNothing);
}

// A name is stored behind one byte of length: 255 bytes are the most a record holds.
TEST(SettingsRecord, RefusesANameLongerThan255Bytes) {
  SettingsRecord record;
  EXPECT_EQ(test::ErrorOf([&] { record.WriteProperty(std::string(255, 'n'), 1, 0); }), 0);
  EXPECT_EQ(test::ErrorOf([&] { record.WriteProperty(std::string(256, 'n'), 1, 0); }), 5);
  EXPECT_EQ(record.Entries().size(), 1u);
}

TEST(SettingsRecord, RefusesDamageWholeAndMakesNoFont) {
  const Bytes good = {'K', 'L', 'C', 'S', 1, 0, 1, 0, 8, 0, 0, 0, 1, 'Z', 3, 0, 7, 0, 0, 0};
  // A font entry "F" (name "A", size, weight, charset, flags), then one byte too many.
  const Bytes font = {'K', 'L', 'C', 'S', 1, 0, 1, 0, 24, 0, 0, 0, 1, 'F', 0x7F, 0, 1, 0, 0, 0, 'A', 0,
                      0x40, 0x9C, 0, 0, 0, 0, 0, 0, 0x90, 1, 1, 0, 0, 0xAA};
  const struct {
    const char* what;
    Bytes bytes;
    Status status;
  } cases[] = {
      {"another signature", {'K', 'L', 'C', 'X', 1, 0, 1, 0, 8, 0, 0, 0}, Status::kOtherFormat},
      {"another version", {'K', 'L', 'C', 'S', 2, 0, 1, 0, 8, 0, 0, 0}, Status::kOtherFormat},
      {"a length above 1 MB", {'K', 'L', 'C', 'S', 1, 0, 1, 0, 1, 0, 16, 0}, Status::kDamaged},
      {"two entries stated, one there", {'K', 'L', 'C', 'S', 1, 0, 2, 0, 8, 0, 0, 0, 1, 'Z', 3, 0, 7, 0, 0, 0},
       Status::kDamaged},
      {"a type of no value", {'K', 'L', 'C', 'S', 1, 0, 1, 0, 8, 0, 0, 0, 1, 'Z', 4, 0, 7, 0, 0, 0}, Status::kDamaged},
      {"a text longer than the data", {'K', 'L', 'C', 'S', 1, 0, 1, 0, 8, 0, 0, 0, 1, 'Z', 8, 0, 2, 0, 0, 0},
       Status::kDamaged},
      {"a name longer than the data", {'K', 'L', 'C', 'S', 1, 0, 1, 0, 2, 0, 0, 0, 5, 'Z'}, Status::kDamaged},
      {"a byte after the entries", font, Status::kDamaged},
  };
  for (const auto& c : cases) {
    int fontsMade = 0;
    SettingsRecord record([&](const StdFont& d) {
      ++fontsMade;
      return std::make_shared<StdFont>(d);
    });
    ASSERT_EQ(Read(record, good), Status::kOk);
    EXPECT_EQ(Read(record, c.bytes), c.status) << c.what;
    EXPECT_EQ(record.ReadProperty("Z", Variant()).ToLong(), 7) << c.what;
    EXPECT_EQ(fontsMade, 0) << c.what;
  }
  // The font record without its extra byte is whole: one font, 4 points, weight 400.
  Bytes whole(font.begin(), font.end() - 1);
  SettingsRecord record;
  ASSERT_EQ(Read(record, whole), Status::kDamaged);  // the length still counts the byte
  whole[8] = 23;
  ASSERT_EQ(Read(record, whole), Status::kOk);
  const FontRef f = record.ReadProperty("F", "").ToFont();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Name(), "A");
  EXPECT_EQ(f->SizeCy(), 40000);
  EXPECT_EQ(f->Weight(), 400);
}

}  // namespace
}  // namespace kavrin
