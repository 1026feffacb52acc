#pragma once
// The runtime's single sequential text-file slot (file number 1), shared on purpose by every
// chart engine of the process: at most one export log is open at a time.
// Call order for an owner (any stable address, e.g. the engine):
//  1. Open(owner, path): raises 55 when the slot is taken (by anyone), or the file error
//     (52 bad name, 75 access, 76 path not found) when the file cannot be created;
//  2. WriteLine(owner, text) any number of times: text + CR LF, flushed per line;
//     57 (device I/O) or 61 (disk full) when the write fails, with the line undone;
//  3. Close(owner): closes; a call by anyone but the owner does nothing. Or, for a log that
//     failed to start, Discard(owner): closes and removes the file Open created.
// The path may use "\" or "/" as separators. An existing file is never overwritten.
#include <string>

namespace kavrin {

class LogSlot {
 public:
  static void Open(const void* owner, const std::string& path);
  static bool IsOpen();
  static bool IsOpenBy(const void* owner);
  // Raises 52 (bad file name or number) when owner does not hold the slot.
  static void WriteLine(const void* owner, const std::string& text);
  static void Close(const void* owner);
  static void Discard(const void* owner);
};

}  // namespace kavrin
