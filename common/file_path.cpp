#include "common/file_path.h"

namespace kavrin {

std::string NativePath(std::string_view path) {
  std::string p(path);
#ifndef _WIN32
  for (char& c : p)
    if (c == '\\') c = '/';
#endif
  return p;
}

}  // namespace kavrin
