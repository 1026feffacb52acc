#include "common/mod_reg.h"

namespace kavrin {

std::string AppendBackslash(const std::string& s) {
  // Trim removes spaces only; tabs and other white space are part of the path.
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(' ');
  std::string t = s.substr(first, last - first + 1);
  if (t.back() != '\\') t += '\\';
  return t;
}

}  // namespace kavrin
