#include "apps/log_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <set>
#include <utility>

#include "common/vb_error.h"

namespace kavrin::app {
namespace {

// What a header value looks like. Title and fonts are free text that older writers let
// run over several lines.
enum class ValueKind : uint8_t { kText, kMultiLineText, kNumber, kColor, kDecimal, kFont };

struct HeaderKey {
  std::string_view key;
  ValueKind kind;
};

constexpr std::array<HeaderKey, kLogHeaderLines> kHeader = {{
    {"[Time]", ValueKind::kText},
    {"[Title]", ValueKind::kMultiLineText},
    {"[Min]", ValueKind::kNumber},
    {"[Max]", ValueKind::kNumber},
    {"[Zoom]", ValueKind::kNumber},
    {"[VerValueSpace]", ValueKind::kNumber},
    {"[BkGndColor]", ValueKind::kColor},
    {"[ValueLineColor]", ValueKind::kColor},
    {"[TimeLineColor]", ValueKind::kColor},
    {"[bValueLineDsip]", ValueKind::kDecimal},
    {"[bTimeLineDsip]", ValueKind::kDecimal},
    {"[TitleFont]", ValueKind::kFont},
    {"[TitleColor]", ValueKind::kColor},
    {"[TitlePos]", ValueKind::kDecimal},
    {"[CutLineFont]", ValueKind::kFont},
    {"[MeasureColor]", ValueKind::kColor},
    {"[MeasureFont]", ValueKind::kFont},
    {"[MeasurePos]", ValueKind::kDecimal},
    {"[MeasureWidth]", ValueKind::kDecimal},
    {"[BorderColor]", ValueKind::kColor},
    {"[BorderWidth]", ValueKind::kDecimal},
}};

constexpr int kMaxLine = 32767;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number as the writer prints it in any locale: digits with a sign, a decimal separator
// of the locale (one byte or a UTF-8 character), an exponent, or the texts of infinities
// and NaN ("1.#INF"). At least one digit; no blanks, brackets or slashes.
bool IsNumberText(std::string_view s) {
  bool digit = false;
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    digit = digit || IsDigit(c);
    const bool ok = IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == ',' ||
                    c == '+' || c == '-' || c == '#' || b >= 0x80;
    if (!ok) return false;
  }
  return digit;
}

bool IsDecimal(std::string_view s) {
  if (!s.empty() && s[0] == '-') s.remove_prefix(1);
  if (s.empty() || s.size() > 10) return false;
  for (char c : s) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

bool IsColor(std::string_view s) {
  if (s.empty() || s.size() > 8) return false;
  for (char c : s) {
    if (!IsDigit(c) && !(c >= 'A' && c <= 'F')) return false;
  }
  return true;
}

// Name ":" True|False ":" size; the name may itself hold ":".
bool IsFontText(std::string_view s) {
  const auto sizeAt = s.rfind(':');
  if (sizeAt == std::string_view::npos || !IsNumberText(s.substr(sizeAt + 1))) return false;
  const std::string_view rest = s.substr(0, sizeAt);
  const auto boldAt = rest.rfind(':');
  if (boldAt == std::string_view::npos) return false;
  const std::string_view bold = rest.substr(boldAt + 1);
  return bold == "True" || bold == "False";
}

const char* Refusal(ValueKind kind, std::string_view value) {
  switch (kind) {
    case ValueKind::kText:
    case ValueKind::kMultiLineText: return nullptr;
    case ValueKind::kNumber: return IsNumberText(value) ? nullptr : "needs a number";
    case ValueKind::kColor: return IsColor(value) ? nullptr : "needs a colour in hexadecimal";
    case ValueKind::kDecimal: return IsDecimal(value) ? nullptr : "needs a whole number";
    case ValueKind::kFont: return IsFontText(value) ? nullptr : "needs a font as Name:Bold:Size";
  }
  return nullptr;
}

std::string Shown(std::string_view s) {
  std::string out;
  for (char c : s.substr(0, 40)) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  if (s.size() > 40) out += "...";
  return out;
}

// One row line: rows ended by "/", each row "[n]value" entries joined by ",". The rows
// come out newest first, as written. Returns the reason when the line has another form.
std::string ParseRowLine(std::string_view line, std::vector<LogRow>& rows) {
  if (line.empty()) return "an empty line where rows belong";
  if (line.back() != '/') return "a row line must end with \"/\"";
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t end = line.find('/', pos);
    std::string_view row = line.substr(pos, end - pos);
    pos = end + 1;
    LogRow entries;
    while (!row.empty()) {
      if (row[0] != '[') return "a row entry must start with \"[\": " + Shown(row);
      const size_t close = row.find(']');
      if (close == std::string_view::npos || close == 1 || close > 6) return "a bad line number in " + Shown(row);
      int n = 0;
      for (size_t i = 1; i < close; ++i) {
        if (!IsDigit(row[i])) return "a bad line number in " + Shown(row);
        n = n * 10 + (row[i] - '0');
      }
      if (n < 1 || n > kMaxLine) return "line number " + std::to_string(n) + " is out of range";
      if (!entries.empty() && n <= entries.back().line) return "line numbers of a row must rise: " + Shown(row);
      // The value runs to the next entry: a "," followed by "[" (a comma alone may be the
      // writer's decimal separator).
      size_t next = row.find(",[", close + 1);
      const std::string_view value = row.substr(close + 1, next == std::string_view::npos ? next : next - close - 1);
      if (!IsNumberText(value)) return "line " + std::to_string(n) + " needs a number, got '" + Shown(value) + "'";
      entries.push_back({n, std::string(value)});
      row = next == std::string_view::npos ? std::string_view() : row.substr(next + 1);
    }
    rows.push_back(std::move(entries));
  }
  return std::string();
}

class Reader {
 public:
  explicit Reader(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
      const size_t end = text.find("\r\n", pos);
      if (end == std::string_view::npos) {
        lines_.push_back(text.substr(pos));
        cutOff_ = true;
        break;
      }
      lines_.push_back(text.substr(pos, end - pos));
      pos = end + 2;
    }
  }

  DataLog Read() {
    if (lines_.empty()) Fail(1, "the log is empty");
    // A data log starts with its time; anything else (a CSV file, say) is no log at all.
    if (!StartsWith(0, 0)) Fail(1, "this is not a data log (a data log starts with [Time])");
    if (cutOff_) Fail(lines_.size(), "the line has no CR LF at its end (the log was cut off)");
    FindFirstBadRowLine();
    if (!Place(0, 0)) Fail(failLine_, failWhy_.empty() ? "the log has another form" : failWhy_);
    // The header is placed: values from the chosen starts, then the rows in tick order.
    DataLog log;
    for (size_t k = 0; k < kLogHeaderLines; ++k) log.header[k] = Value(k, start_[k], start_[k + 1]);
    for (size_t i = start_[kLogHeaderLines]; i < lines_.size(); ++i) {
      std::vector<LogRow> newestFirst;
      ParseRowLine(lines_[i], newestFirst);
      log.rows.insert(log.rows.end(), std::make_move_iterator(newestFirst.rbegin()),
                      std::make_move_iterator(newestFirst.rend()));
    }
    return log;
  }

 private:
  [[noreturn]] static void Fail(size_t line, const std::string& why) {
    Raise(err::kTypeMismatch, "Type mismatch: data log line " + std::to_string(line) + ": " + why);
  }

  void Note(size_t index, std::string why) {
    if (failWhy_.empty() || index + 1 > failLine_) {
      failLine_ = index + 1;
      failWhy_ = std::move(why);
    }
  }

  // For every line, the first line from there on that is not a row line, so that "the
  // rest are rows" is answered at once for any end of the header.
  void FindFirstBadRowLine() {
    firstBad_.assign(lines_.size() + 1, lines_.size());
    std::vector<LogRow> scratch;
    for (size_t i = lines_.size(); i-- > 0;) {
      scratch.clear();
      firstBad_[i] = ParseRowLine(lines_[i], scratch).empty() ? firstBad_[i + 1] : i;
    }
  }

  std::string Value(size_t k, size_t from, size_t to) const {
    std::string v(lines_[from].substr(kHeader[k].key.size()));
    for (size_t i = from + 1; i < to; ++i) {
      v += "\r\n";
      v += lines_[i];
    }
    return v;
  }

  static bool MultiLine(ValueKind kind) { return kind == ValueKind::kMultiLineText || kind == ValueKind::kFont; }

  // Places header key k at line i and everything after it; true when the whole log reads.
  // A value that may span lines takes as few lines as lets the rest read.
  bool Place(size_t k, size_t i) {
    if (k == kLogHeaderLines) {
      if (firstBad_[i] == lines_.size()) {
        start_[k] = i;
        return true;
      }
      std::vector<LogRow> scratch;
      Note(firstBad_[i], ParseRowLine(lines_[firstBad_[i]], scratch));
      return false;
    }
    const HeaderKey& h = kHeader[k];
    if (i >= lines_.size()) {
      Note(i, "the header ends before " + std::string(h.key));
      return false;
    }
    if (!StartsWith(i, k)) {
      Note(i, "expected " + std::string(h.key) + ", got '" + Shown(lines_[i]) + "'");
      return false;
    }
    if (!tried_.insert({k, i}).second) return false;
    start_[k] = i;
    const size_t last = MultiLine(h.kind) ? lines_.size() : i + 1;
    for (size_t next = i + 1; next <= last; ++next) {
      // A value takes more lines only up to a line that starts the next key.
      if (next > i + 1 && (next == lines_.size() || !StartsWith(next, k + 1))) continue;
      const std::string value = Value(k, i, next);
      if (const char* why = Refusal(h.kind, value)) {
        Note(next - 1, std::string(h.key) + " " + why + ", got '" + Shown(value) + "'");
        continue;
      }
      if (Place(k + 1, next)) {
        start_[k] = i;
        return true;
      }
    }
    return false;
  }

  bool StartsWith(size_t line, size_t k) const {
    return k < kLogHeaderLines && lines_[line].substr(0, kHeader[k].key.size()) == kHeader[k].key;
  }

  std::vector<std::string_view> lines_;
  bool cutOff_ = false;
  std::vector<size_t> firstBad_;
  std::array<size_t, kLogHeaderLines + 1> start_{};
  std::set<std::pair<size_t, size_t>> tried_;
  size_t failLine_ = 0;
  std::string failWhy_;
};

}  // namespace

const std::array<std::string_view, kLogHeaderLines>& LogHeaderKeys() {
  static const std::array<std::string_view, kLogHeaderLines> keys = [] {
    std::array<std::string_view, kLogHeaderLines> k{};
    for (size_t i = 0; i < kLogHeaderLines; ++i) k[i] = kHeader[i].key;
    return k;
  }();
  return keys;
}

std::string_view DataLog::Value(std::string_view key) const {
  for (size_t i = 0; i < kLogHeaderLines; ++i) {
    const std::string_view k = kHeader[i].key;
    if (key == k || key == k.substr(1, k.size() - 2)) return header[i];
  }
  return {};
}

DataLog ReadDataLog(std::string_view text) { return Reader(text).Read(); }

DataLog ReadDataLogFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int e = errno;
    Raise(e == ENOENT ? err::kFileNotFound : err::kPathFileAccess,
          std::string(e == ENOENT ? "File not found" : "Path/File access error") + ": " + path + ": " +
              std::strerror(e));
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) Raise(err::kDeviceIo, "Device I/O error: reading " + path + " failed");
  return ReadDataLog(text.str());
}

}  // namespace kavrin::app
