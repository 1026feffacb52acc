// Fuzzes the program's reading of a data stream: the row splitter and the column plan.
// The first input byte chooses the --column choice, the separator rules and how the
// stream arrives; the rest is the stream. Checked for every input:
//  - the rows do not depend on how the bytes arrive (all at once, or in pieces of any size);
//  - Feed consumes what it reports, rows and fields keep their bounds, and only finite
//    numbers come out of a field;
//  - legend keys are at most 40 characters of printable UTF-8;
//  - the column plan ends in data or a failure with a message, and plans only columns
//    that a row can have.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "apps/column_plan.h"
#include "apps/row_splitter.h"

namespace {

using kavrin::app::ColumnPlan;
using kavrin::app::Field;
using kavrin::app::RowSplitter;
using kavrin::app::SplitRules;

struct Row {
  std::vector<Field> fields;
  bool truncated = false;
  bool operator==(const Row& o) const {
    if (truncated != o.truncated || fields.size() != o.fields.size()) return false;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].text != o.fields[i].text || fields[i].overlong != o.fields[i].overlong) return false;
    }
    return true;
  }
};

void Check(bool ok) {
  if (!ok) std::abort();
}

Row Take(const RowSplitter& s) {
  Check(s.Count() <= kavrin::app::kMaxColumns);
  Row r;
  r.truncated = s.Truncated();
  for (size_t i = 0; i < s.Count(); ++i) {
    const Field& f = s.At(i);
    Check(f.text.size() <= kavrin::app::kMaxFieldBytes);
    r.fields.push_back(f);
  }
  return r;
}

// Splits the stream arriving in pieces of the given sizes (cycled; 0: all at once).
std::vector<Row> Split(std::string_view stream, const std::vector<size_t>& pieces, SplitRules rules,
                       bool& decimalComma) {
  RowSplitter s(rules);
  std::vector<Row> rows;
  size_t pos = 0;
  size_t k = 0;
  while (pos < stream.size()) {
    size_t n = pieces.empty() ? stream.size() - pos : pieces[k++ % pieces.size()];
    n = std::min(n, stream.size() - pos);
    size_t done = 0;
    while (done < n) {
      size_t used = 0;
      const bool row = s.Feed(stream.data() + pos + done, n - done, used);
      Check(used <= n - done);
      if (row) {
        Check(used > 0 && stream[pos + done + used - 1] == '\n');
        rows.push_back(Take(s));
        Check(s.RowNumber() == static_cast<int64_t>(rows.size()));
      } else {
        Check(used == n - done);
      }
      done += used;
    }
    pos += n;
  }
  if (s.Finish()) rows.push_back(Take(s));
  Check(!s.Finish());
  decimalComma = s.DecimalComma();
  return rows;
}

bool IsKeyText(const std::string& k) {
  size_t chars = 0;
  for (size_t i = 0; i < k.size(); ++chars) {
    const auto b = static_cast<unsigned char>(k[i]);
    if (b < 0x20 || b == 0x7F) return false;
    const size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (b >= 0x80 && b < 0xC2) return false;
    if (i + len > k.size()) return false;
    for (size_t j = 1; j < len; ++j) {
      if ((static_cast<unsigned char>(k[i + j]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return chars <= 40;
}

void CheckPlan(const std::string& choice, const std::vector<Row>& rows, bool decimalComma) {
  ColumnPlan plan(choice.empty() ? std::vector<std::string>{} : std::vector<std::string>{choice});
  for (const Row& r : rows) {
    std::vector<std::string_view> fields;
    for (const Field& f : r.fields) {
      if (const auto v = kavrin::app::FieldNumber(f.text, decimalComma)) Check(std::isfinite(*v));
      Check(IsKeyText(kavrin::app::KeyText(f.text)));
      fields.emplace_back(f.text);
    }
    switch (plan.Offer(fields, decimalComma)) {
      case ColumnPlan::Verdict::kSkipped:
        Check(fields.empty());
        continue;
      case ColumnPlan::Verdict::kHeader:
        Check(plan.Header().size() == fields.size());
        for (const auto& h : plan.Header()) Check(IsKeyText(h));
        continue;
      case ColumnPlan::Verdict::kFailed:
        Check(!plan.Error().empty() && !choice.empty());
        return;
      case ColumnPlan::Verdict::kData:
        Check(!plan.Lines().empty());
        for (const auto& line : plan.Lines()) {
          Check(line.column < kavrin::app::kMaxColumns && !line.key.empty());
          Check(line.column != plan.TimeColumn());
          if (choice.empty()) Check(line.column < fields.size());
        }
        return;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

  const SplitRules rulesByMode[] = {{0, false}, {';', false}, {' ', false}, {0, true}};
  const SplitRules rules = rulesByMode[(mode >> 3) & 3];
  bool decimalComma = false;
  bool decimalCommaInPieces = false;
  const std::vector<Row> whole = Split(stream, {}, rules, decimalComma);
  const std::vector<size_t> pieces = {1u + (mode & 7u), 1, 2u + (mode >> 5)};
  Check(Split(stream, pieces, rules, decimalCommaInPieces) == whole && decimalCommaInPieces == decimalComma);

  // The column choice: all numeric columns, a number, or the text of the stream's first
  // field (a header name when the stream has one).
  std::string choice;
  switch (mode % 4) {
    case 1: choice = std::to_string(mode); break;
    case 2: choice = std::to_string(static_cast<uint64_t>(mode) * 1000003u); break;
    case 3:
      if (!whole.empty() && !whole[0].fields.empty()) choice = whole[0].fields.back().text;
      break;
    default: break;
  }
  CheckPlan(choice, whole, decimalComma);
  return 0;
}
