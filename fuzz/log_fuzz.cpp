// Fuzzes the data-log reader: any input either reads or is refused with run-time error 13
// naming a line of the input; a log that reads, written out again (its rows regrouped into
// lines of eleven), reads back to the same header values and rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "apps/log_reader.h"
#include "common/vb_error.h"

namespace {

using kavrin::app::DataLog;

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Write(const DataLog& log) {
  std::string text;
  for (size_t k = 0; k < kavrin::app::kLogHeaderLines; ++k) {
    text += kavrin::app::LogHeaderKeys()[k];
    text += log.header[k];
    text += "\r\n";
  }
  for (size_t first = 0; first < log.rows.size(); first += 11) {
    const size_t end = std::min(first + 11, log.rows.size());
    for (size_t r = end; r-- > first;) {
      std::string row;
      for (const auto& e : log.rows[r]) {
        if (!row.empty()) row += ',';
        row += "[" + std::to_string(e.line) + "]" + e.value;
      }
      text += row + "/";
    }
    text += "\r\n";
  }
  return text;
}

bool Same(const DataLog& a, const DataLog& b) {
  if (a.header != b.header || a.rows.size() != b.rows.size()) return false;
  for (size_t r = 0; r < a.rows.size(); ++r) {
    if (a.rows[r].size() != b.rows[r].size()) return false;
    for (size_t i = 0; i < a.rows[r].size(); ++i) {
      if (a.rows[r][i].line != b.rows[r][i].line || a.rows[r][i].value != b.rows[r][i].value) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DataLog log;
  try {
    log = kavrin::app::ReadDataLog(text);
  } catch (const kavrin::RuntimeError& e) {
    Check(e.Number() == 13);
    // The line named is one of the input's lines.
    const std::string_view what = e.what();
    const size_t at = what.find("data log line ");
    Check(at != std::string_view::npos);
    const long line = std::strtol(what.data() + at + 14, nullptr, 10);
    size_t lines = 1;
    for (size_t i = 0; i + 1 < size; ++i) lines += text[i] == '\r' && text[i + 1] == '\n';
    Check(line >= 1 && static_cast<size_t>(line) <= lines);
    return 0;
  }
  for (const auto& row : log.rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      Check(row[i].line >= 1 && row[i].line <= 32767 && !row[i].value.empty());
      if (i > 0) Check(row[i].line > row[i - 1].line);
    }
  }
  Check(Same(kavrin::app::ReadDataLog(Write(log)), log));
  return 0;
}
