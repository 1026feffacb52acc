#include "apps/output_files.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/file_path.h"

namespace kavrin::app {

std::string StampName(std::time_t when) {
  std::tm tm{};
  localtime_r(&when, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "kavrin-chart-%Y%m%d-%H%M%S", &tm);
  return buf;
}

std::string FreeBase(const std::string& base, const std::function<bool(const std::string&)>& taken) {
  for (int n = 1;; ++n) {
    const std::string candidate = n == 1 ? base : base + "-" + std::to_string(n);
    if (!taken(candidate)) return candidate;
  }
}

bool MakeFolder(const std::string& folder, std::string& error) {
  const std::string dir = NativePath(folder);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!ec && std::filesystem::is_directory(dir, ec)) return true;
  error = dir + ": " + (ec ? ec.message() : std::string("not a folder"));
  return false;
}

Written MakeNewFolder(const std::string& folder, std::string& error) {
  const std::string dir = NativePath(folder);
  if (::mkdir(dir.c_str(), 0777) == 0) return Written::kYes;
  const int e = errno;
  error = dir + ": " + std::strerror(e);
  return e == EEXIST ? Written::kNameTaken : Written::kFailed;
}

std::string FolderPath(const std::string& dir) {
  if (!dir.empty() && dir.back() == '/') return dir;
  return dir + "/";
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(NativePath(path), ec));
}

// Created new ("x"), never replacing a file that is there, even one another process made a
// moment ago.
FILE* OpenNewFile(const std::string& name, Written& failed, std::string& error) {
  const std::string path = NativePath(name);
  FILE* f = std::fopen(path.c_str(), "wbx");
  if (f == nullptr) {
    const int e = errno;
    error = path + ": " + std::strerror(e);
    failed = e == EEXIST ? Written::kNameTaken : Written::kFailed;
  }
  return f;
}

Written WriteTextFile(const std::string& text, const std::string& name, std::string& error) {
  const std::string path = NativePath(name);
  Written failed = Written::kFailed;
  FILE* f = OpenNewFile(path, failed, error);
  if (f == nullptr) return failed;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) {
    error = path + ": could not be written";
    std::remove(path.c_str());
    return Written::kFailed;
  }
  return Written::kYes;
}

Written WritePngFile(const gdi::PixelView& view, const std::string& name, std::string& error) {
  const std::string path = NativePath(name);
  Written failed = Written::kFailed;
  FILE* f = OpenNewFile(path, failed, error);
  if (f == nullptr) return failed;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<size_t>(view.width) * 3);
  volatile bool ok = png != nullptr && info != nullptr;
  // libpng reports errors by longjmp: nothing with a destructor is created below this point.
  if (ok && setjmp(png_jmpbuf(png)) != 0) ok = false;
  if (ok) {
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(view.width), static_cast<png_uint_32>(view.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < view.height; ++y) {
      const uint32_t* src = view.pixels + static_cast<size_t>(y) * view.stride;
      for (int x = 0; x < view.width; ++x) {
        row[x * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
        row[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
        row[x * 3 + 2] = static_cast<png_byte>(src[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) ok = false;
  if (!ok) {
    error = path + ": could not write the picture";
    std::remove(path.c_str());
  }
  return ok ? Written::kYes : Written::kFailed;
}

}  // namespace kavrin::app
