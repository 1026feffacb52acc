#include "apps/column_plan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "apps/row_splitter.h"
#include "host/tick_time.h"

namespace kavrin::app {
namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsTimeName(std::string_view name) {
  for (const char* n : {"time", "timestamp", "date", "datetime"})
    if (SameNoCase(name, n)) return true;
  return false;
}

}  // namespace

ColumnPlan::Verdict ColumnPlan::Offer(const std::vector<std::string_view>& fields, bool decimalComma) {
  return Offer(fields, std::vector<uint8_t>(fields.size(), decimalComma ? 1 : 0));
}

ColumnPlan::Verdict ColumnPlan::Offer(const std::vector<std::string_view>& fields,
                                      const std::vector<uint8_t>& decimalCommas) {
  if (fields.empty()) return Verdict::kSkipped;
  fields_ = &fields;
  commas_ = &decimalCommas;
  bool anyNumber = false;
  for (size_t c = 0; c < fields.size() && !anyNumber; ++c) anyNumber = IsNumber(c);
  if (!anyNumber && headerRows_ < kMaxHeaderRows) {
    ++headerRows_;
    header_.clear();
    for (auto f : fields) header_.push_back(KeyText(f));
    return Verdict::kHeader;
  }
  return Decide();
}

bool ColumnPlan::IsNumber(size_t field) const {
  return FieldNumber((*fields_)[field], field < commas_->size() && (*commas_)[field] != 0).has_value();
}

void ColumnPlan::FindTime() {
  const auto& fields = *fields_;
  for (size_t c = 0; c < fields.size(); ++c) {
    const bool named = c < header_.size() && IsTimeName(header_[c]);
    if (host::TickTime::ParseIso(fields[c]) || (named && IsNumber(c))) {
      time_ = c;
      // "2026-12-08 10:00:00" under one header name: the time is the next field, and the two
      // read as one date and time.
      splitStamp_ = !header_.empty() && fields.size() == header_.size() + 1 && c + 1 < fields.size() &&
                    host::TickTime::ParseIso(std::string(fields[c]) + ' ' + std::string(fields[c + 1])).has_value();
      return;
    }
  }
}

std::string ColumnPlan::KeyOf(size_t field) const {
  size_t h = field;
  if (splitStamp_ && time_ && field > *time_) --h;
  if (h < header_.size() && !header_[h].empty()) return header_[h];
  return "col " + std::to_string(field + 1);
}

size_t ColumnPlan::FieldOf(size_t headerColumn) const {
  return splitStamp_ && time_ && headerColumn > *time_ ? headerColumn + 1 : headerColumn;
}

// Adds the line of one --column choice; false (with the error) when there is no such column.
bool ColumnPlan::Choose(const std::string& choice, size_t fieldCount) {
  size_t field = 0;
  if (choice.find_first_not_of("0123456789") == std::string::npos) {
    size_t n = 0;
    std::from_chars(choice.data(), choice.data() + choice.size(), n);
    const size_t last = std::max(fieldCount, HeaderWidth());
    if (n < 1 || n > last) {
      error_ = "--column " + choice + ": the input has " + std::to_string(last) + " column" + (last == 1 ? "" : "s");
      return false;
    }
    field = n - 1;
  } else {
    // A header name: the exact spelling first, then any case.
    auto find = [this, &choice](auto same) -> long {
      for (size_t c = 0; c < header_.size(); ++c)
        if (same(header_[c], choice)) return static_cast<long>(c);
      return -1;
    };
    long c = find([](std::string_view a, std::string_view b) { return a == b; });
    if (c < 0) c = find(SameNoCase);
    if (c < 0) {
      if (header_.empty()) {
        error_ = "no header row names the columns, so --column " + choice + " cannot be found; give its number";
      } else {
        error_ = "no column named \"" + choice + "\" in the header:";
        for (const auto& h : header_) error_ += " " + h;
      }
      return false;
    }
    field = FieldOf(static_cast<size_t>(c));
  }
  if (time_ && field == *time_) {
    error_ = "--column " + choice + ": that column holds the rows' time, not values to chart";
    return false;
  }
  lines_.push_back({field, KeyOf(field)});
  return true;
}

ColumnPlan::Verdict ColumnPlan::Decide() {
  const auto& fields = *fields_;
  FindTime();
  if (choices_.empty()) {
    for (size_t c = 0; c < fields.size(); ++c) {
      if (c != time_ && IsNumber(c)) lines_.push_back({c, KeyOf(c)});
    }
    // A first data row without any number (binary, or words only): chart every column,
    // each a gap until numbers come.
    if (lines_.empty()) {
      for (size_t c = 0; c < fields.size(); ++c)
        if (c != time_) lines_.push_back({c, KeyOf(c)});
    }
    // Nothing but the time: it is charted after all, as the one line.
    if (lines_.empty() && time_) {
      time_.reset();
      splitStamp_ = false;
      lines_.push_back({0, KeyOf(0)});
    }
    return Verdict::kData;
  }
  for (const auto& choice : choices_)
    if (!Choose(choice, fields.size())) return Verdict::kFailed;
  return Verdict::kData;
}

}  // namespace kavrin::app
