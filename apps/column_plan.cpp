#include "apps/column_plan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "apps/row_splitter.h"

namespace kavrin::app {
namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

ColumnPlan::Verdict ColumnPlan::Offer(const std::vector<std::string_view>& fields) {
  if (fields.empty()) return Verdict::kSkipped;
  const bool anyNumber =
      std::any_of(fields.begin(), fields.end(), [](std::string_view f) { return FieldNumber(f).has_value(); });
  if (!anyNumber && headerRows_ < kMaxHeaderRows) {
    ++headerRows_;
    header_.clear();
    for (auto f : fields) header_.push_back(KeyText(f));
    return Verdict::kHeader;
  }
  return Decide(fields);
}

std::string ColumnPlan::KeyOf(size_t column) const {
  if (column < header_.size() && !header_[column].empty()) return header_[column];
  return "col " + std::to_string(column + 1);
}

ColumnPlan::Verdict ColumnPlan::Decide(const std::vector<std::string_view>& fields) {
  if (choice_.empty()) {
    for (size_t c = 0; c < fields.size(); ++c) {
      if (FieldNumber(fields[c])) lines_.push_back({c, KeyOf(c)});
    }
    // A first data row without any number (binary, or words only): chart every column,
    // each a gap until numbers come.
    if (lines_.empty()) {
      for (size_t c = 0; c < fields.size(); ++c) lines_.push_back({c, KeyOf(c)});
    }
    return Verdict::kData;
  }
  if (choice_.find_first_not_of("0123456789") == std::string::npos) {
    size_t n = 0;
    std::from_chars(choice_.data(), choice_.data() + choice_.size(), n);
    if (n < 1 || n > kMaxColumns) {
      error_ = "column " + choice_ + " does not exist: columns are numbered 1 to " + std::to_string(kMaxColumns);
      return Verdict::kFailed;
    }
    lines_.push_back({n - 1, KeyOf(n - 1)});
    return Verdict::kData;
  }
  // A header name: the exact spelling first, then any case.
  auto find = [this](auto same) -> long {
    for (size_t c = 0; c < header_.size(); ++c)
      if (same(header_[c], choice_)) return static_cast<long>(c);
    return -1;
  };
  long c = find([](std::string_view a, std::string_view b) { return a == b; });
  if (c < 0) c = find(SameNoCase);
  if (c < 0) {
    if (header_.empty()) {
      error_ = "no header row names the columns, so --column " + choice_ + " cannot be found; give its number";
    } else {
      error_ = "no column named \"" + choice_ + "\" in the header:";
      for (const auto& h : header_) error_ += " " + h;
    }
    return Verdict::kFailed;
  }
  lines_.push_back({static_cast<size_t>(c), header_[static_cast<size_t>(c)]});
  return Verdict::kData;
}

}  // namespace kavrin::app
