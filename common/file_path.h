#pragma once
// The one rule for file paths: "\" and "/" both separate folders, in every path the system
// is given (folders, the data log, pictures, existence tests, forms and input files). Every
// file operation passes its path through NativePath before it reaches the file system, so
// "a\b" always names the folder b inside a, never a file or folder named "a\b".
#include <string>
#include <string_view>

namespace kavrin {

// The path as the file system here spells it: on Linux each "\" becomes "/"; on Windows,
// where both are separators already, the path is unchanged.
std::string NativePath(std::string_view path);

}  // namespace kavrin
