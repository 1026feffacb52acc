#include "common/vb_error.h"

namespace kavrin {

const char* StandardMessage(int number) {
  switch (number) {
    case err::kInvalidCall: return "Invalid procedure call or argument";
    case err::kOverflow: return "Overflow";
    case err::kOutOfMemory: return "Out of memory";
    case err::kSubscript: return "Subscript out of range";
    case err::kDivisionByZero: return "Division by zero";
    case err::kTypeMismatch: return "Type mismatch";
    case err::kBadFileName: return "Bad file name or number";
    case err::kFileNotFound: return "File not found";
    case err::kFileAlreadyOpen: return "File already open";
    case err::kDeviceIo: return "Device I/O error";
    case err::kFileAlreadyExists: return "File already exists";
    case err::kDiskFull: return "Disk full";
    case err::kPathFileAccess: return "Path/File access error";
    case err::kPathNotFound: return "Path not found";
    case err::kObjectNotSet: return "Object variable or With block variable not set";
    case err::kInvalidPropertyValue: return "Invalid property value";
    case err::kNotSupported: return "Object doesn't support this property or method";
    case err::kArgumentNotOptional: return "Argument not optional";
    case err::kWrongArgumentCount: return "Wrong number of arguments or invalid property assignment";
    case err::kInvalidPicture: return "Invalid picture";
    default: return "Application-defined or object-defined error";
  }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, StandardMessage(number)) {}

RuntimeError::RuntimeError(int number, const std::string& message)
    : std::runtime_error("Run-time error '" + std::to_string(number) + "': " + message),
      number_(number) {}

void Raise(int number) { throw RuntimeError(number); }
void Raise(int number, const std::string& message) { throw RuntimeError(number, message); }

}  // namespace kavrin
