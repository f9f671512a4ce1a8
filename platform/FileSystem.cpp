#include "FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>

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

}  // namespace platform
