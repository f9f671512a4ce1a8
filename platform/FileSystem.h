// Directory listing and local time, the two platform services that the
// support library's utilities build on.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace platform {

struct ListedFile {
  std::string name;      // file name without its directory
  std::time_t modified;  // last modification, seconds since 1970 UTC
};

// The regular files directly inside dir (symbolic links to regular files
// count), sorted by name in byte order. On failure returns false, sets
// error to the errno value and text to the system's text for it.
bool ListRegularFiles(const std::string& dir, std::vector<ListedFile>& files, int& error,
                      std::string& text);

// Thread-safe local time of t.
std::tm LocalTime(std::time_t t);

}  // namespace platform
