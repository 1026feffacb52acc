#include "apps/row_splitter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kavrin::app {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

RowSplitter::RowSplitter(SplitRules rules) {
  for (int b = 0; b < 256; ++b) class_[b] = IsBlank(static_cast<char>(b)) ? kBlank : kOther;
  class_[static_cast<unsigned char>('\n')] = kNewline;
  class_[static_cast<unsigned char>('"')] = kQuote;
  decimalComma_ = rules.decimalComma;
  if (rules.delimiter == ' ') return;
  if (rules.delimiter != 0) {
    trim_ = true;
    for (int b = 0; b < 256; ++b)
      if (class_[b] == kBlank) class_[b] = kTrimBlank;
    class_[static_cast<unsigned char>(rules.delimiter)] = kHard;
    if (rules.delimiter == ';') decimalComma_ = true;
    return;
  }
  class_[static_cast<unsigned char>(';')] = kHard;
  if (decimalComma_) return;
  undecided_ = true;
  class_[static_cast<unsigned char>(',')] = kComma;
  class_[static_cast<unsigned char>(';')] = kSemicolon;
}

// The fields this row split at commas so far are joined again, each with its comma.
void RowSplitter::JoinCommaSplits() {
  size_t kept = 0;
  for (size_t i = 0; i < building_; ++i) {
    Field& f = fields_[i];
    if (kept > 0 && f.afterComma) {
      Field& into = fields_[kept - 1];
      const std::string joined = "," + f.text;
      const size_t room = kMaxFieldBytes - std::min(kMaxFieldBytes, into.text.size());
      into.text.append(joined, 0, room);
      into.overlong = into.overlong || f.overlong || joined.size() > room;
    } else {
      if (kept != i) std::swap(fields_[kept], fields_[i]);
      ++kept;
    }
  }
  building_ = kept;
}

// The input is semicolon-separated: commas become field bytes (decimal commas), and the
// fields this row split at commas so far are joined again.
void RowSplitter::UseSemicolons() {
  undecided_ = false;
  decimalComma_ = true;
  class_[static_cast<unsigned char>(',')] = kOther;
  class_[static_cast<unsigned char>(';')] = kHard;
  if (!rowHadComma_) return;
  JoinCommaSplits();
  cur_ = kDropped;
  inField_ = false;
  fieldSinceHard_ = building_ > 0;
}

// The first row with a comma, separated by blanks or tabs, whose every comma stands right
// between two digits of one number ("21,50 40,1", not "2,3,4"): its commas are decimal commas.
bool RowSplitter::CommasAreDecimal() const {
  if (!rowBlankSeparated_) return false;
  for (size_t i = 1; i < building_; ++i) {
    const Field& f = fields_[i];
    if (!f.afterComma) continue;
    const Field& before = fields_[i - 1];
    if (!f.tightComma || before.afterComma || f.quoted || before.quoted || f.text.empty() ||
        !IsDigit(f.text.front()) || !FieldNumber(before.text + "," + f.text, true))
      return false;
  }
  return true;
}

void RowSplitter::UseDecimalCommas() {
  decimalComma_ = true;
  class_[static_cast<unsigned char>(',')] = kOther;
  class_[static_cast<unsigned char>(';')] = kHard;
  JoinCommaSplits();
}

// Blanks are trimmed from a field's end, but never from inside its quotes.
void RowSplitter::TrimField() {
  if (!inField_ || cur_ == kDropped) return;
  std::string& t = fields_[cur_].text;
  while (t.size() > quotedSize_ && IsBlank(t.back())) t.pop_back();
}

void RowSplitter::Hard(bool comma) {
  if (trim_) TrimField();
  const bool tight = inField_ && fieldSinceHard_;
  // An empty field between two separators, or before the first one.
  if (!fieldSinceHard_) StartField();
  inField_ = false;
  fieldSinceHard_ = false;
  hardPending_ = true;
  afterComma_ = comma;
  commaTight_ = comma && tight;
  blankEnded_ = false;
  rowHadComma_ = rowHadComma_ || comma;
}

void RowSplitter::StartField() {
  inField_ = true;
  fieldSinceHard_ = true;
  rowBlankSeparated_ = rowBlankSeparated_ || blankEnded_;
  blankEnded_ = false;
  quotedSize_ = 0;
  if (building_ >= kMaxColumns) {
    truncating_ = true;
    cur_ = kDropped;
    return;
  }
  if (fields_.size() <= building_) fields_.emplace_back();
  cur_ = building_++;
  Field& f = fields_[cur_];
  f.text.clear();
  f.overlong = false;
  f.quoted = false;
  f.afterComma = afterComma_;
  f.tightComma = afterComma_ && commaTight_;
  afterComma_ = false;
}

void RowSplitter::Append(char c) {
  if (cur_ == kDropped) return;
  Field& f = fields_[cur_];
  if (f.text.size() < kMaxFieldBytes) {
    f.text.push_back(c);
  } else {
    f.overlong = true;
  }
}

void RowSplitter::EndRow() {
  if (trim_) TrimField();
  // A row that had a comma or semicolon and ends right after one has an empty last field.
  if (hardPending_ && !fieldSinceHard_) {
    StartField();
    inField_ = false;
  }
  // A first row with commas and no semicolon decides: decimal commas, or comma-separated.
  if (undecided_ && rowHadComma_) {
    undecided_ = false;
    if (CommasAreDecimal()) {
      UseDecimalCommas();
    } else {
      class_[static_cast<unsigned char>(';')] = kHard;
    }
  }
  count_ = building_;
  truncated_ = truncating_;
  building_ = 0;
  inField_ = false;
  fieldSinceHard_ = false;
  hardPending_ = false;
  truncating_ = false;
  rowOpen_ = false;
  afterComma_ = false;
  commaTight_ = false;
  blankEnded_ = false;
  rowBlankSeparated_ = false;
  rowHadComma_ = false;
  ++rows_;
}

// A UTF-8 byte order mark, as spreadsheet programs write it before the header, is not the
// first field's: it is dropped. Bytes that began like one and were not are the field's.
void RowSplitter::SkipByteOrderMark(const char*& data, size_t& size, size_t& used) {
  static constexpr unsigned char kMark[3] = {0xEF, 0xBB, 0xBF};
  while (bomSeen_ < 3 && size > 0) {
    if (static_cast<unsigned char>(*data) != kMark[bomSeen_]) {
      for (size_t k = 0; k < bomSeen_; ++k) {
        rowOpen_ = true;
        if (!inField_) StartField();
        Append(static_cast<char>(kMark[k]));
      }
      bomSeen_ = 3;
      return;
    }
    ++bomSeen_;
    ++data;
    --size;
    ++used;
  }
}

bool RowSplitter::Feed(const char* data, size_t size, size_t& used) {
  size_t skipped = 0;
  if (bomSeen_ < 3) SkipByteOrderMark(data, size, skipped);
  for (size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (quote_ != Quote::kNone) {
      if (quote_ == Quote::kInside) {
        if (c == '"') quote_ = Quote::kClosing;
        else Append(c);
        continue;
      }
      // The quote before closed the field, unless this one doubles it.
      quote_ = Quote::kNone;
      if (c == '"') {
        Append(c);
        quote_ = Quote::kInside;
        continue;
      }
      if (cur_ != kDropped) quotedSize_ = fields_[cur_].text.size();
    }
    switch (class_[static_cast<unsigned char>(c)]) {
      case kNewline:
        EndRow();
        used = skipped + i + 1;
        return true;
      case kBlank:
        rowOpen_ = true;
        blankEnded_ = blankEnded_ || inField_;
        inField_ = false;
        commaTight_ = false;
        continue;
      case kTrimBlank:
        rowOpen_ = true;
        if (!inField_) continue;
        break;
      case kSemicolon:
        rowOpen_ = true;
        if (undecided_) UseSemicolons();
        Hard(false);
        continue;
      case kComma:
        rowOpen_ = true;
        Hard(true);
        continue;
      case kHard:
        rowOpen_ = true;
        Hard(false);
        continue;
      case kQuote:
        rowOpen_ = true;
        if (inField_) break;  // a quote inside a field is one of its bytes
        StartField();
        if (cur_ != kDropped) fields_[cur_].quoted = true;
        quote_ = Quote::kInside;
        continue;
      case kOther:
        rowOpen_ = true;
        if (!inField_) StartField();
        break;
    }
    Append(c);
  }
  used = skipped + size;
  return false;
}

bool RowSplitter::Finish() {
  if (quote_ != Quote::kNone) {
    quote_ = Quote::kNone;
    if (cur_ != kDropped) quotedSize_ = fields_[cur_].text.size();
  }
  if (!rowOpen_) return false;
  EndRow();
  return true;
}

std::optional<double> RowSplitter::Number(size_t i) const {
  const Field& f = fields_[i];
  if (f.overlong) return std::nullopt;
  return FieldNumber(f.text, decimalComma_ || f.quoted);
}

std::optional<double> FieldNumber(std::string_view text, bool decimalComma) {
  if (text.empty() || text.size() >= kMaxFieldBytes) return std::nullopt;
  char point[kMaxFieldBytes];
  if (decimalComma) {
    const auto comma = text.find(',');
    if (comma != std::string_view::npos) {
      // One comma and no point: the comma is the decimal point.
      if (text.find(',', comma + 1) != std::string_view::npos || text.find('.') != std::string_view::npos)
        return std::nullopt;
      text.copy(point, text.size());
      point[comma] = '.';
      text = std::string_view(point, text.size());
    }
  }
  const char* p = text.data();
  const char* end = p + text.size();
  if (*p == '+') ++p;
  if (p == end) return std::nullopt;
  // from_chars takes "inf", "nan" and "infinity"; a chart value must be a digit string.
  const char c = *p == '-' && p + 1 < end ? p[1] : *p;
  if (!((c >= '0' && c <= '9') || c == '.')) return std::nullopt;
  double v = 0;
  auto [q, ec] = std::from_chars(p, end, v, std::chars_format::general);
  if (ec != std::errc() || q != end || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string KeyText(std::string_view field) {
  std::string out;
  size_t chars = 0;
  for (size_t i = 0; i < field.size() && chars < 40; ++chars) {
    const auto b = static_cast<unsigned char>(field[i]);
    size_t len = 0;
    if (b < 0x80) {
      len = 1;
    } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      len = 3;
    } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
      len = 4;
    }
    bool ok = len > 0 && i + len <= field.size();
    for (size_t k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(field[i + k]) & 0xC0) == 0x80;
    // Overlong 3-byte forms and surrogates are not text either.
    if (ok && len == 3) {
      const auto b1 = static_cast<unsigned char>(field[i + 1]);
      ok = !(b == 0xE0 && b1 < 0xA0) && !(b == 0xED && b1 >= 0xA0);
    }
    if (ok && len == 4) {
      const auto b1 = static_cast<unsigned char>(field[i + 1]);
      ok = !(b == 0xF0 && b1 < 0x90) && !(b == 0xF4 && b1 >= 0x90);
    }
    if (!ok || (len == 1 && (b < 0x20 || b == 0x7F))) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.append(field.substr(i, len));
    i += len;
  }
  return out;
}

}  // namespace kavrin::app
