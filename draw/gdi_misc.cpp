// kernel32, user32 and shlwapi helpers: MulDiv, rectangles, PathFileExistsA.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "common/file_path.h"
#include "draw/win32.h"

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  // Exact 64-bit product, rounded half away from zero.
  int64_t p = static_cast<int64_t>(number) * numerator;
  int64_t d = denominator;
  if (d < 0) {
    d = -d;
    p = -p;
  }
  const int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return static_cast<int>(q);
}

BOOL CopyRect(LPRECT dst, const RECT* src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}

BOOL SetRect(LPRECT rc, int left, int top, int right, int bottom) {
  if (!rc) return FALSE;
  *rc = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL PathFileExistsA(LPCSTR path) {
  if (!path || !*path) return FALSE;
  std::string p = kavrin::NativePath(path);
  // A trailing separator names the folder itself.
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  struct stat st {};
  return stat(p.c_str(), &st) == 0 ? TRUE : FALSE;
}

#endif  // _WIN32
