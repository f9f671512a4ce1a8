#include "FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;

bool ListRegularFiles(const std::string& dir, std::vector<ListedFile>& files, int& error,
                      std::string& text) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) {
    error = ec.value();
    text = ec.message();
    return false;
  }
  files.clear();
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    const std::string path = it->path().string();
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      files.push_back({it->path().filename().string(), st.st_mtime});
    }
  }
  std::sort(files.begin(), files.end(),
            [](const ListedFile& a, const ListedFile& b) { return a.name < b.name; });
  return true;
}

std::tm LocalTime(std::time_t t) {
  std::tm result{};
  localtime_r(&t, &result);
  return result;
}

void WriteBehind(std::FILE* file, int64_t& dropped, int64_t written) {
  if (file == nullptr || written - dropped < 2 * kWriteBehindStretch) return;
  if (std::fflush(file) != 0) return;
  const int fd = ::fileno(file);
  ::sync_file_range(
      fd, dropped, kWriteBehindStretch,
      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
  ::posix_fadvise(fd, dropped, kWriteBehindStretch, POSIX_FADV_DONTNEED);
  dropped += kWriteBehindStretch;
  ::sync_file_range(fd, dropped, kWriteBehindStretch, SYNC_FILE_RANGE_WRITE);
}

namespace {

// Attempts at a fresh temporary name before an open gives up.
constexpr int kTemporaryAttempts = 100;
// The permissions of a new output file before the process's umask.
constexpr mode_t kNewFileMode = 0666;
// Bytes of the target's name kept in a temporary name: with the dot, the
// process, the counter and ".part" it stays below the 255 bytes of a name.
constexpr std::size_t kTemporaryStemBytes = 200;
// Links followed from a name before it counts as a loop (as the system's).
constexpr int kMostLinks = 40;
// Bytes copied at a time where the system cannot copy between files itself.
constexpr std::size_t kCopyBlock = std::size_t{1} << 20;

// The folder that holds path ("." for a bare name).
std::string FolderOf(const std::string& path) {
  const std::string folder = fs::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// A name in folder for a temporary file of target that no other writer
// uses: hidden, with the process and a counter in it.
std::string TemporaryName(const std::string& folder, const std::string& target) {
  static std::atomic<unsigned> counter{0};
  // The target's name, shortened so that the temporary name stays within
  // the longest name a folder takes.
  const std::string name =
      "." + fs::path(target).filename().string().substr(0, kTemporaryStemBytes) + "." +
      std::to_string(::getpid()) + "." + std::to_string(counter++) + ".part";
  return (fs::path(folder) / name).string();
}

// 0 when a new file may take the name path (its folder exists and takes a
// name of that length), else the errno value that says why not.
int CheckNewName(const std::string& path) {
  if (path.empty()) return ENOENT;
  const std::string name = fs::path(path).filename().string();
  if (name.empty() || name == "." || name == "..") return EISDIR;
  errno = 0;
  const long longest = ::pathconf(FolderOf(path).c_str(), _PC_NAME_MAX);
  if (longest < 0) return errno;  // 0 when the folder sets no limit
  return name.size() > static_cast<std::size_t>(longest) ? ENAMETOOLONG : 0;
}

// The name at the end of the chain of symbolic links that starts at path
// (path itself when it is not a link). False, with errno set, on a loop.
bool FollowLinks(std::string& path) {
  for (int i = 0; i < kMostLinks; ++i) {
    std::error_code ec;
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) return true;  // not a link, or nothing there: the end of the chain
    path = next.is_absolute() ? next.string() : (fs::path(FolderOf(path)) / next).string();
  }
  errno = ELOOP;
  return false;
}

// Whether replacing the regular file path (st) by another file would lose
// something or is not allowed: other names of it, another owner, extended
// attributes, a folder that may not be written.
bool MustKeepInode(const std::string& path, const struct stat& st) {
  if (st.st_nlink > 1 || st.st_uid != ::geteuid()) return true;
  if (::listxattr(path.c_str(), nullptr, 0) > 0) return true;
  return ::faccessat(AT_FDCWD, FolderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) != 0;
}

// Whether an open with O_TMPFILE failed because the file system (or the
// system) has no unnamed files.
bool NoUnnamedFiles(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

// Gives the unnamed file fd the name name. The system allows it through
// the descriptor to a privileged process, and to any through /proc.
bool NameUnnamed(int fd, const std::string& name) {
  if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
  if (errno == EEXIST) return false;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Copies the first size bytes of from into to, both from their start.
bool CopyBytes(int from, int to, off_t size) {
  loff_t in = 0, out = 0;
  while (in < size) {
    const ssize_t n = ::copy_file_range(from, &in, to, &out, static_cast<size_t>(size - in), 0);
    if (n > 0) continue;
    if (n == 0) return false;
    // Older systems copy only within a file system, or not at all.
    const bool unsupported =
        errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    if (!unsupported || in != 0) return false;
    break;
  }
  std::vector<char> block(in < size ? kCopyBlock : 0);
  while (in < size) {
    const auto want = static_cast<size_t>(std::min<off_t>(size - in, kCopyBlock));
    const ssize_t n = ::pread(from, block.data(), want, in);
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::pwrite(to, block.data() + done, static_cast<size_t>(n - done), in + done);
      if (w < 0) return false;
      done += w;
    }
    in += n;
  }
  return true;
}

}  // namespace

ReplacingFile::~ReplacingFile() { Abandon(); }

bool ReplacingFile::Fail(int error) {
  error_ = error;
  return false;
}

bool ReplacingFile::Open(const std::string& target) {
  Abandon();
  error_ = 0;
  replaces_ = false;
  target_ = target;
  if (target.empty()) return Fail(ENOENT);
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return OpenDirect();
    return OpenExisting(st);
  }
  if (errno != ENOENT) return Fail(errno);
  // A new file; for a dangling link, the file it names.
  if (!FollowLinks(target_)) return Fail(errno);
  return OpenNew();
}

bool ReplacingFile::OpenDirect() {
  // A pipe or a device is written as it stands; a folder fails here.
  way_ = Way::kDirect;
  file_ = std::fopen(target_.c_str(), "wb");
  return file_ != nullptr || Fail(errno);
}

bool ReplacingFile::OpenExisting(const struct stat& st) {
  // A file that may not be written is not replaced either.
  if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return Fail(errno);
  // A link is followed, so that the file it names is the one written.
  std::error_code ec;
  const fs::path real = fs::canonical(target_, ec);
  if (!ec) target_ = real.string();
  if (MustKeepInode(target_, st)) {
    way_ = Way::kCopy;
    // Beside the target where its folder takes it, so that the copy stays
    // on one disk; else in the temporary folder.
    if (OpenTemporary(FolderOf(target_))) return true;
    const fs::path elsewhere = fs::temp_directory_path(ec);
    return !ec && OpenTemporary(elsewhere.string());
  }
  way_ = Way::kRename;
  replaces_ = true;
  if (!OpenTemporary(FolderOf(target_))) return false;
  // The new file keeps the permissions of the one it replaces.
  static_cast<void>(::fchmod(::fileno(file_), st.st_mode & 07777));
  return true;
}

bool ReplacingFile::OpenNew() {
  const int error = CheckNewName(target_);
  if (error != 0) return Fail(error);
  way_ = Way::kRename;
  return OpenTemporary(FolderOf(target_));
}

bool ReplacingFile::OpenTemporary(const std::string& folder) {
  // Readable as well: a copy reads it back.
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, kNewFileMode);
  if (fd < 0 && !NoUnnamedFiles(errno)) return Fail(errno);
  for (int attempt = 0; fd < 0 && attempt < kTemporaryAttempts; ++attempt) {
    // The file system has no unnamed files: a hidden name.
    const std::string name = TemporaryName(folder, target_);
    fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0 && errno != EEXIST) return Fail(errno);
    if (fd < 0) continue;
    // A copy needs no name: dropped at once, it cannot be left behind.
    if (way_ == Way::kCopy) {
      ::unlink(name.c_str());
    } else {
      temporary_ = name;
    }
  }
  if (fd < 0) return Fail(EEXIST);
  file_ = ::fdopen(fd, "wb");
  if (file_ != nullptr) {
    error_ = 0;
    return true;
  }
  const int error = errno;
  ::close(fd);
  Abandon();
  return Fail(error);
}

bool ReplacingFile::Commit() {
  if (file_ == nullptr) return false;
  // The data is in the file only once it has been written without error.
  // It is not forced to the disk here: what the temporary file guards
  // against is a failed or interrupted writer, and the system writes the
  // data back as for any file (a long one as it is written, see
  // WriteBehind); forcing it would cost a short file more time than its
  // synthesis.
  bool ok = std::fflush(file_) == 0 || Fail(errno);
  if (ok && way_ == Way::kRename) ok = Rename(::fileno(file_));
  if (ok && way_ == Way::kCopy) ok = CopyIntoTarget(::fileno(file_));
  ok = (std::fclose(file_) == 0 || Fail(errno)) && ok;
  file_ = nullptr;
  if (ok && !temporary_.empty()) {
    ok = std::rename(temporary_.c_str(), target_.c_str()) == 0 || Fail(errno);
  }
  if (!ok && !temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  if (ok) error_ = 0;
  return ok;
}

bool ReplacingFile::Rename(int fd) {
  // A named temporary file is renamed once it is closed.
  if (!temporary_.empty()) return true;
  // A new file takes its name at once; an existing one is replaced by a
  // rename (which also takes over a file that has appeared meanwhile).
  if (!replaces_ && NameUnnamed(fd, target_)) return true;
  if (!replaces_ && errno != EEXIST) return Fail(errno);
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    const std::string name = TemporaryName(FolderOf(target_), target_);
    if (NameUnnamed(fd, name)) {
      temporary_ = name;
      return true;
    }
    if (errno != EEXIST) return Fail(errno);
  }
  return Fail(EEXIST);
}

bool ReplacingFile::CopyIntoTarget(int fd) {
  struct stat written;
  if (::fstat(fd, &written) != 0) return Fail(errno);
  // Opened only now, so that a failure before leaves it untouched; without
  // O_CREAT, which the system refuses for another user's file in a shared
  // folder.
  const int out = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
  if (out < 0) return Fail(errno);
  struct stat before;
  if (::fstat(out, &before) != 0) {
    Fail(errno);
    ::close(out);
    return false;
  }
  // The space for the whole file is taken before a byte of the earlier one
  // is overwritten: a full disk then leaves the earlier file as it was.
  const int reserved = written.st_size > 0 ? ::posix_fallocate(out, 0, written.st_size) : 0;
  bool ok = reserved == 0 || reserved == EOPNOTSUPP || Fail(reserved);
  ok = ok && (CopyBytes(fd, out, written.st_size) || Fail(errno));
  // A failure may have left the file longer than it was.
  if (!ok && written.st_size > before.st_size) {
    static_cast<void>(::ftruncate(out, before.st_size) == 0);
  }
  ok = ok && (::ftruncate(out, written.st_size) == 0 || Fail(errno));
  ok = (::close(out) == 0 || Fail(errno)) && ok;
  return ok;
}

void ReplacingFile::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace platform
