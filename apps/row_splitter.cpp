#include "apps/row_splitter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kavrin::app {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

RowSplitter::RowSplitter(SplitRules rules) {
  for (int b = 0; b < 256; ++b) class_[b] = IsBlank(static_cast<char>(b)) ? kBlank : kOther;
  class_[static_cast<unsigned char>('\n')] = kNewline;
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

// The input is semicolon-separated: commas become field bytes (decimal commas), and the
// fields this row split at commas so far are joined again.
void RowSplitter::UseSemicolons() {
  undecided_ = false;
  decimalComma_ = true;
  class_[static_cast<unsigned char>(',')] = kOther;
  class_[static_cast<unsigned char>(';')] = kHard;
  if (!rowHadComma_) return;
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
  cur_ = kDropped;
  inField_ = false;
  fieldSinceHard_ = kept > 0;
}

void RowSplitter::TrimField() {
  if (!inField_ || cur_ == kDropped) return;
  std::string& t = fields_[cur_].text;
  while (!t.empty() && IsBlank(t.back())) t.pop_back();
}

void RowSplitter::Hard(bool comma) {
  if (trim_) TrimField();
  // An empty field between two separators, or before the first one.
  if (!fieldSinceHard_) StartField();
  inField_ = false;
  fieldSinceHard_ = false;
  hardPending_ = true;
  afterComma_ = comma;
  rowHadComma_ = rowHadComma_ || comma;
}

void RowSplitter::StartField() {
  inField_ = true;
  fieldSinceHard_ = true;
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
  f.afterComma = afterComma_;
  afterComma_ = false;
}

void RowSplitter::EndRow() {
  if (trim_) TrimField();
  // A row that had a comma or semicolon and ends right after one has an empty last field.
  if (hardPending_ && !fieldSinceHard_) {
    StartField();
    inField_ = false;
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
  // A first row with commas and no semicolon: the input is comma-separated for good.
  if (undecided_ && rowHadComma_) {
    undecided_ = false;
    class_[static_cast<unsigned char>(';')] = kHard;
  }
  rowHadComma_ = false;
  ++rows_;
}

bool RowSplitter::Feed(const char* data, size_t size, size_t& used) {
  for (size_t i = 0; i < size; ++i) {
    const char c = data[i];
    switch (class_[static_cast<unsigned char>(c)]) {
      case kNewline:
        EndRow();
        used = i + 1;
        return true;
      case kBlank:
        rowOpen_ = true;
        inField_ = false;
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
      case kOther:
        rowOpen_ = true;
        if (!inField_) StartField();
        break;
    }
    if (cur_ == kDropped) continue;
    Field& f = fields_[cur_];
    if (f.text.size() < kMaxFieldBytes) {
      f.text.push_back(c);
    } else {
      f.overlong = true;
    }
  }
  used = size;
  return false;
}

bool RowSplitter::Finish() {
  if (!rowOpen_) return false;
  EndRow();
  return true;
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
