#include "support/utilities.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>

#include "platform/FileSystem.h"

namespace UTILITIES {
namespace {

std::mutex g_errorMutex;
int g_errorCode = 0;
std::string g_errorText;

// Whether the character at pos is preceded by a backslash.
bool Escaped(const std::string& s, size_t pos) { return pos > 0 && s[pos - 1] == '\\'; }

// Where the line is cut by its comment, or npos.
size_t CommentCut(const std::string& line, char comment) {
  size_t p = line.find(comment);
  while (p != std::string::npos) {
    if (!Escaped(line, p)) {
      const size_t quote = line.find('"', p + 1);
      if (quote == std::string::npos || Escaped(line, quote)) return p;
      size_t quotesBefore = 0;
      for (size_t i = 0; i < p; ++i) {
        if (line[i] == '"' && !Escaped(line, i)) ++quotesBefore;
      }
      if (quotesBefore % 2 == 0) return p;
    }
    p = line.find(comment, p + 1);
  }
  return std::string::npos;
}

}  // namespace

bool setError(int code, const std::string& text) {
  std::lock_guard<std::mutex> lock(g_errorMutex);
  g_errorCode = code;
  g_errorText = text;
  return true;
}

int getError(std::string& text) {
  std::lock_guard<std::mutex> lock(g_errorMutex);
  text = g_errorText;
  return g_errorCode;
}

bool splitAssignment(std::string line, std::string& name, std::string& value, char comment) {
  if (comment != 0) {
    const size_t cut = CommentCut(line, comment);
    if (cut != std::string::npos) line.erase(cut);
  }
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  name = line.substr(0, eq);
  value = line.substr(eq + 1);
  const size_t n = value.size();
  if (n >= 2 && value[0] == '"' && value[n - 1] == '"' && value[n - 2] != '\\') {
    value = value.substr(1, n - 2);
  }
  return true;
}

std::string getTimeStamp() {
  const std::tm now = platform::LocalTime(std::time(nullptr));
  char buffer[32];
  const size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &now);
  return std::string(buffer, n);
}

void getLastErrorText(int& code, std::string& text) {
  code = errno;
  text = code != 0 ? std::strerror(code) : "";
}

bool isFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t getFileTime(const char* path) {
  struct stat st;
  if (path == nullptr || stat(path, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_mtime);
}

int64_t getFileTime(const std::string& path) { return getFileTime(path.c_str()); }

bool getDirectoryEntries(std::string dir, int mode, std::vector<DirectoryEntry>& out) {
  std::vector<platform::ListedFile> files;
  int code = 0;
  std::string text;
  if (!platform::ListRegularFiles(dir, files, code, text)) {
    setError(507, UTILITIES_FIND_FIRST_FAILED + ":" + text);
    return false;
  }
  out.clear();
  out.reserve(files.size());
  for (const platform::ListedFile& f : files) {
    DirectoryEntry e;
    e.name = f.name;
    if (mode == 1) e.value = static_cast<int64_t>(f.modified);
    out.push_back(std::move(e));
  }
  if (mode == 1) {
    std::stable_sort(out.begin(), out.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) {
      return a.value < b.value;
    });
  }
  return true;
}

}  // namespace UTILITIES
