// Directory listing and local time, the two platform services that the
// support library's utilities build on, and the write-behind of a long file
// written once.
#pragma once

#include <cstdint>
#include <cstdio>
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

// The stretch of a file that WriteBehind hands to the disk at a time.
constexpr int64_t kWriteBehindStretch = int64_t{64} << 20;

// For a file written from start to end and not read back (a WAVE file of
// speech): once the bytes up to written have passed dropped by two
// stretches, waits until the stretch after dropped is on disk, drops it from
// the system's cache, moves dropped past it and starts the disk on the next
// one. A long file then neither crowds memory nor makes the writer pay for
// a growing cache. Flushes file first; failures change nothing else.
void WriteBehind(std::FILE* file, int64_t& dropped, int64_t written);

}  // namespace platform
