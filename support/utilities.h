// File, directory and time utilities with one process-wide last error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/constants.h"

struct DirectoryEntry {
  std::string name;   // file name without its directory
  int64_t value = 0;  // modification time, seconds since 1970 (listing mode 1 only)
};

namespace UTILITIES {

// The separator between a directory and a name.
constexpr char PATH_SEPARATOR = '/';

// Process-wide last error of these functions (thread-safe).
bool setError(int code, const std::string& text);
int getError(std::string& text);

// Splits "name=value" after removing comments introduced by `comment`
// (0: no comment removal); one pair of enclosing double quotes is removed
// from the value. False, with name and value unchanged, without '='.
bool splitAssignment(std::string line, std::string& name, std::string& value, char comment);

// The local time as "%Y%m%d%H%M%S".
std::string getTimeStamp();

// The calling thread's last platform error (errno) and its text.
void getLastErrorText(int& code, std::string& text);

bool isFile(const std::string& path);
bool isDirectory(const std::string& path);

// Last modification time in seconds since 1970; -1 when the path cannot be examined.
int64_t getFileTime(const char* path);
int64_t getFileTime(const std::string& path);

// Regular files directly inside dir. Mode 1 fills value with the
// modification time and sorts by it; every other mode lists by name.
// False (with code 507 in the last error and out unchanged) when the
// directory cannot be read.
bool getDirectoryEntries(std::string dir, int mode, std::vector<DirectoryEntry>& out);

}  // namespace UTILITIES
