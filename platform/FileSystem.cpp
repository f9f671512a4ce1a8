#include "FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
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

// A name beside target that no other writer uses: hidden, with the process
// and a counter in it.
std::string TemporaryBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const fs::path path(target);
  // The target's name, shortened so that the temporary name stays within
  // the longest name a folder takes.
  const std::string name = "." + path.filename().string().substr(0, kTemporaryStemBytes) + "." +
                           std::to_string(::getpid()) + "." + std::to_string(counter++) + ".part";
  return (path.parent_path() / name).string();
}

}  // namespace

ReplacingFile::~ReplacingFile() { Abandon(); }

bool ReplacingFile::Open(const std::string& target) {
  Abandon();
  target_ = target;
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    // A pipe or a device is written as it stands; a folder fails here.
    file_ = std::fopen(target.c_str(), "wb");
    return file_ != nullptr;
  }
  // A file that may not be written is not replaced either.
  if (exists && ::access(target.c_str(), W_OK) != 0) return false;
  // A link is followed, so that the file it names is the one replaced.
  std::error_code ec;
  if (exists) {
    const fs::path real = fs::canonical(target, ec);
    if (!ec) target_ = real.string();
  }
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    const std::string name = TemporaryBeside(target_);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      // A file that may be written in a folder that may not: written in
      // place, as nothing else can be done.
      const bool protectedFolder = errno == EACCES || errno == EPERM || errno == EROFS;
      if (exists && protectedFolder) file_ = std::fopen(target_.c_str(), "wb");
      return file_ != nullptr;
    }
    // The new file keeps the permissions of the one it replaces.
    if (exists) static_cast<void>(::fchmod(fd, st.st_mode & 07777));
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
      ::close(fd);
      ::unlink(name.c_str());
      return false;
    }
    temporary_ = name;
    return true;
  }
  return false;
}

bool ReplacingFile::Commit() {
  if (file_ == nullptr) return false;
  // The data is in the file only once it has been closed without error.
  // It is not forced to the disk here: what the rename guards against is a
  // failed or interrupted writer, and the system writes the data back as
  // for any file (a long one as it is written, see WriteBehind); forcing
  // it would cost a short file more time than its synthesis.
  bool ok = std::fflush(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (IsDirect()) return ok;
  ok = ok && std::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(temporary_.c_str());
  temporary_.clear();
  return ok;
}

void ReplacingFile::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace platform
