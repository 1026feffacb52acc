#pragma once
#include <stdexcept>
#include <string>

namespace kavrin {

// A run-time error: the standard error number and its standard message. Raised to the
// host; nothing inside the system catches one.
class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(int number);
  RuntimeError(int number, const std::string& message);
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

// Standard error numbers used by the system.
namespace err {
constexpr int kInvalidCall = 5;
constexpr int kOverflow = 6;
constexpr int kOutOfMemory = 7;
constexpr int kSubscript = 9;
constexpr int kDivisionByZero = 11;
constexpr int kTypeMismatch = 13;
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kFileAlreadyOpen = 55;
constexpr int kDeviceIo = 57;
constexpr int kFileAlreadyExists = 58;
constexpr int kDiskFull = 61;
constexpr int kPathFileAccess = 75;
constexpr int kPathNotFound = 76;
constexpr int kObjectNotSet = 91;
constexpr int kInvalidPropertyValue = 380;
constexpr int kNotSupported = 438;
constexpr int kArgumentNotOptional = 449;
constexpr int kWrongArgumentCount = 450;
constexpr int kInvalidPicture = 481;
}  // namespace err

// The standard message text of an error number ("Overflow", "Division by zero", ...).
const char* StandardMessage(int number);

[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, const std::string& message);

}  // namespace kavrin
