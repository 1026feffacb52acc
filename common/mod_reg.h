#pragma once
// Path helpers of the module modReg.
#include <string>

namespace kavrin {

// The folder path s without leading and trailing blanks and with a trailing "\" ensured;
// an empty or blank path stays empty. Only "\" counts as a trailing separator.
std::string AppendBackslash(const std::string& s);

}  // namespace kavrin
