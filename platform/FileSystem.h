// Directory listing and local time, the two platform services that the
// support library's utilities build on, the write-behind of a long file
// written once, and an output file that replaces its target only when it is
// complete.
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

// An output file that never leaves a partial file where its target was. A
// regular target (or one that does not exist yet) is written under a
// temporary name beside it, in the same folder, and renamed over the target
// by Commit; an earlier file stays as it was until then. A target that is
// neither (a pipe, a device) is opened and written directly. A symbolic link
// is followed: the file it names is replaced, the link stays.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  // Abandons a file that was not committed.
  ~ReplacingFile();

  // Opens the output for target (binary writing). False, with nothing
  // created, when it cannot be created: a missing folder, a folder that may
  // not be written, a target that is a folder or a file that may not be
  // written.
  bool Open(const std::string& target);
  // The open stream; null before Open or after Commit or Abandon.
  std::FILE* Stream() const { return file_; }
  // Whether the output goes to the target directly (a pipe or a device).
  bool IsDirect() const { return temporary_.empty(); }
  // The temporary name being written ("" when direct or not open).
  const std::string& TemporaryName() const { return temporary_; }
  // Closes the stream and renames the temporary file over the target. False, with the temporary
  // file removed and the target untouched, when a step fails.
  bool Commit();
  // Closes the stream and removes the temporary file; the target stays as
  // it was (a pipe or a device keeps what it has received).
  void Abandon();

 private:
  std::FILE* file_ = nullptr;
  std::string target_;
  std::string temporary_;
};

}  // namespace platform
