#include "app/ProcessThreads.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>

namespace process_threads {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

bool IsLibraryThread(const std::string& name) {
  return StartsWith(name, "Q") || name == "Thread (pooled)" || name == "gmain" || name == "gdbus" ||
         name == "dconf worker" || StartsWith(name, "pool-");
}

int CountOthers() {
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return 0;
  const std::string self = std::to_string(static_cast<long>(syscall(SYS_gettid)));
  int count = 0;
  while (const dirent* entry = readdir(tasks)) {
    const std::string id = entry->d_name;
    if (id[0] == '.' || id == self) continue;
    std::ifstream comm("/proc/self/task/" + id + "/comm");
    std::string name;
    // A thread that ended meanwhile has no name to read: not counted.
    if (!std::getline(comm, name) || IsLibraryThread(name)) continue;
    ++count;
  }
  closedir(tasks);
  return count;
}

}  // namespace process_threads
