#pragma once
// Text as the platform's "A" functions take it: in the system's ANSI code page. The system
// keeps every text in UTF-8 (common/utf16.h) and converts only where it hands text to the
// platform (drawing, path tests, file names, the data log's user texts), never writing
// the converted text back. On Linux the ANSI code page is UTF-8 and the text is handed
// over as it is. On Windows a character the code page lacks becomes "?", never a look-alike
// ("Ω" is not "O"): a converted path must not name another file that happens to exist.
#include <string>

namespace kavrin {

#ifdef _WIN32
std::string AnsiText(const std::string& text);
#else
inline const std::string& AnsiText(const std::string& text) { return text; }
#endif

}  // namespace kavrin
