#include "apps/row_splitter.h"

#include <charconv>
#include <cmath>

namespace kavrin::app {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool IsHard(char c) { return c == ',' || c == ';'; }

}  // namespace

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
}

void RowSplitter::EndRow() {
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
  ++rows_;
}

bool RowSplitter::Feed(const char* data, size_t size, size_t& used) {
  for (size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == '\n') {
      EndRow();
      used = i + 1;
      return true;
    }
    rowOpen_ = true;
    if (IsBlank(c)) {
      inField_ = false;
    } else if (IsHard(c)) {
      // An empty field between two hard separators, or before the first one.
      if (!fieldSinceHard_) {
        StartField();
      }
      inField_ = false;
      fieldSinceHard_ = false;
      hardPending_ = true;
    } else {
      if (!inField_) StartField();
      if (cur_ == kDropped) continue;
      Field& f = fields_[cur_];
      if (f.text.size() < kMaxFieldBytes) {
        f.text.push_back(c);
      } else {
        f.overlong = true;
      }
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

std::optional<double> FieldNumber(std::string_view text) {
  if (text.empty() || text.size() >= kMaxFieldBytes) return std::nullopt;
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
