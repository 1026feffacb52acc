#pragma once
// Splits a byte stream into rows of fields as the bytes arrive, with bounded memory
// whatever the input: a row keeps at most kMaxColumns fields and a field at most
// kMaxFieldBytes bytes, so a 10 MB line or binary data costs no more than one short row.
//
// Separators, by default: blanks and tabs (a run of them is one separator; leading and
// trailing ones are ignored) and commas or semicolons (each one ends a field, so "1,,3"
// has an empty second field). The first row with a comma or semicolon decides: when it
// has a semicolon, the input is semicolon-separated and from then on a comma belongs to
// its field and is a decimal comma ("1;3,5" is 1 and 3.5, also in that first row). When
// its fields are separated by blanks or tabs and each of its commas stands between two
// digits ("21,50<TAB>40,1"), its commas are decimal commas in the same way; otherwise
// the input is comma-separated.
// With a delimiter given, only it separates and blanks around a field are trimmed; the
// delimiter ' ' means blanks only. With decimalComma, commas never separate.
// A field that starts with a double quote is quoted, as spreadsheets write CSV: up to the
// closing quote every byte is the field's, separators and line ends included, and "" is
// one quote. A comma in a quoted number is a decimal comma.
// CR is a blank, so CR LF rows split like LF rows. A UTF-8 byte order mark at the start of
// the input is dropped. Any other byte, binary ones included, belongs to a field.
//
// Call order: Feed(bytes) repeatedly; each call stops after a completed row (true) so
// the caller can use Row() before feeding on; Finish() completes a last row without LF.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin::app {

constexpr size_t kMaxColumns = 256;
constexpr size_t kMaxFieldBytes = 256;

struct Field {
  std::string text;       // at most kMaxFieldBytes bytes
  bool overlong = false;  // more bytes were dropped: never a number
  bool quoted = false;    // it was written in double quotes
  bool afterComma = false;  // a comma came before it: joined back if commas turn out to be decimal
  bool tightComma = false;  // that comma stood right after the field before it and right before this one
};

struct SplitRules {
  char delimiter = 0;         // 0: blanks, commas and semicolons; ' ': blanks only; else only it
  bool decimalComma = false;  // numbers have a decimal comma; commas never separate
};

class RowSplitter {
 public:
  explicit RowSplitter(SplitRules rules = {});

  // Consumes bytes up to and including the end of one row; returns true when a row was
  // completed (then `used` counts the bytes consumed, the row's LF included).
  bool Feed(const char* data, size_t size, size_t& used);
  // Completes a row left open at the end of the input; false when nothing was pending.
  bool Finish();

  // The completed row's fields (valid until the next Feed or Finish).
  size_t Count() const { return count_; }
  const Field& At(size_t i) const { return fields_[i]; }
  // Fields beyond kMaxColumns were dropped from this row.
  bool Truncated() const { return truncated_; }
  // Rows completed so far (1-based number of the current row).
  int64_t RowNumber() const { return rows_; }
  // Numbers in the fields have a decimal comma (semicolon-separated input, or the rules').
  bool DecimalComma() const { return decimalComma_; }
  // The value of field i, read with the decimal comma its row or its quotes give it.
  std::optional<double> Number(size_t i) const;

 private:
  enum ByteClass : uint8_t { kOther, kNewline, kBlank, kTrimBlank, kHard, kComma, kSemicolon, kQuote };
  enum class Quote : uint8_t { kNone, kInside, kClosing };  // kClosing: a quote that "" may continue

  void SkipByteOrderMark(const char*& data, size_t& size, size_t& used);
  void StartField();
  void Append(char c);
  void EndRow();
  void Hard(bool comma);
  void TrimField();
  void JoinCommaSplits();
  void UseSemicolons();
  bool CommasAreDecimal() const;
  void UseDecimalCommas();

  ByteClass class_[256];
  bool trim_ = false;          // blanks around fields are trimmed (an explicit delimiter)
  bool undecided_ = false;     // commas and semicolons both separate until a row shows which
  bool decimalComma_ = false;
  bool rowHadComma_ = false;
  bool afterComma_ = false;    // the next field starts after a comma
  bool commaTight_ = false;    // and no blank came between
  bool blankEnded_ = false;    // a blank ended the last field
  bool rowBlankSeparated_ = false;  // a field of this row began after a blank that ended another
  Quote quote_ = Quote::kNone;
  size_t quotedSize_ = 0;      // the field's bytes up to its closing quote: never trimmed
  size_t bomSeen_ = 0;         // bytes of a byte order mark read at the start (3: done with it)

  std::vector<Field> fields_;  // reused from row to row; only the first count_ are valid
  size_t count_ = 0;
  static constexpr size_t kDropped = static_cast<size_t>(-1);
  size_t building_ = 0;    // fields of the row being read
  size_t cur_ = kDropped;  // index of the field taking bytes; kDropped past the cap
  bool inField_ = false;
  bool fieldSinceHard_ = false;  // a field was seen since the last comma or semicolon
  bool hardPending_ = false;     // the row had a comma or semicolon: an empty field may follow
  bool truncated_ = false;
  bool truncating_ = false;
  bool rowOpen_ = false;  // bytes of an unfinished row were seen
  int64_t rows_ = 0;
};

// A field's value when it is a plain decimal number (optional sign, digits, fraction,
// exponent) that is finite; nothing for words, empty fields, NaN, infinities and numbers
// beyond the Double range. With decimalComma a comma may stand for the decimal point.
std::optional<double> FieldNumber(std::string_view text, bool decimalComma = false);

// A header field made safe as a line's key: control bytes and invalid UTF-8 become "?",
// at most 40 characters.
std::string KeyText(std::string_view field);

}  // namespace kavrin::app
