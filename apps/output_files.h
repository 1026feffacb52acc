#pragma once
// Where files go and what they are called: folders (created if missing), base names
// kavrin-chart-YYYYmmdd-HHMMSS with "-2", "-3", ... when a name is already taken, and files
// that are always created new, so that no earlier file is ever overwritten.
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "draw/gdi_host.h"

namespace kavrin::app {

// The base name for a local time stamp.
std::string StampName(std::time_t when);

// The first of base, base-2, base-3, ... for which taken() is false for every suffix given.
std::string FreeBase(const std::string& base, const std::function<bool(const std::string&)>& taken);

// Every path here follows the one path rule ("\" and "/" both separate folders).

// Creates the folder and its parents; false with the reason in error.
bool MakeFolder(const std::string& folder, std::string& error);

// A folder path with a trailing "/" (the form the control's file methods take).
std::string FolderPath(const std::string& dir);

bool FileExists(const std::string& path);

enum class Written {
  kYes,
  kNameTaken,  // a file (or folder) of that name is there: nothing was written
  kFailed,     // the reason is in error; a partial file is removed
};

// Makes the folder new (its parent must be there): kNameTaken when something of that name is.
Written MakeNewFolder(const std::string& folder, std::string& error);

// Opens a new file for writing: null when it cannot be created, with why in failed and error.
FILE* OpenNewFile(const std::string& path, Written& failed, std::string& error);

// Writes text to a new file.
Written WriteTextFile(const std::string& text, const std::string& path, std::string& error);

// Writes 8-bit RGB PNG to a new file.
Written WritePngFile(const gdi::PixelView& view, const std::string& path, std::string& error);

}  // namespace kavrin::app
