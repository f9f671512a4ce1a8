// Directory listing and local time, the two platform services that the
// support library's utilities build on, the write-behind of a long file
// written once, and an output file that replaces its target only when it is
// complete.
#pragma once

#include <sys/stat.h>

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

// An output file that never leaves a partial file where its target was:
// the target changes only in Commit, once the whole output is written.
//
// A new file, or one of ours with a single name and no extended attributes
// in a folder we may write, is written as an unnamed file in its folder
// (a hidden temporary name where the file system lacks unnamed files) that
// Commit names: with the target's name for a new file, else with a hidden
// name that it renames over the target. A writer that is killed leaves
// nothing behind. Where a rename would lose something (a file with other
// names, another user's file, one with extended attributes) or is not
// allowed (a folder that may not be written), the output goes to an unnamed
// file beside the target or in the temporary folder and Commit copies it
// into the target, which keeps its inode, owner, permissions and
// attributes. A symbolic link is followed: the file it names is written (a
// dangling link gets its file created), the link stays. A target that is
// neither a regular file nor missing (a pipe, a device) is written directly.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  // Abandons a file that was not committed.
  ~ReplacingFile();

  // Opens the output for target (binary writing). False, with nothing
  // created and Error set, when it cannot be created: an empty name, a name
  // longer than its folder takes, a missing folder, a folder that may not be
  // written for a new file, a target that is a folder or a file that may not
  // be written.
  bool Open(const std::string& target);
  // The open stream; null before Open or after Commit or Abandon.
  std::FILE* Stream() const { return file_; }
  // The errno value of the last failed Open or Commit; 0 after a success.
  int Error() const { return error_; }
  // Puts the written output in the target's place and closes it. False,
  // with Error set and the target untouched, when a step fails; only a copy
  // into the target that fails after its space has been reserved (an I/O
  // error) can leave the target partly overwritten.
  bool Commit();
  // Closes the stream and drops what was written; the target stays as it
  // was (a pipe or a device keeps what it has received).
  void Abandon();

 private:
  // How the output reaches the target.
  enum class Way { kDirect, kRename, kCopy };

  bool Fail(int error);
  bool OpenDirect();
  bool OpenExisting(const struct stat& st);
  bool OpenNew();
  bool OpenTemporary(const std::string& folder);
  bool Rename(int fd);
  bool CopyIntoTarget(int fd);

  std::FILE* file_ = nullptr;
  Way way_ = Way::kDirect;
  std::string target_;
  // Whether a file stood at the target when it was opened.
  bool replaces_ = false;
  // A named temporary file beside the target ("" when unnamed).
  std::string temporary_;
  int error_ = 0;
};

}  // namespace platform
