// The desktop program "zorvalis".
#include <dirent.h>

#include <cstdio>

#include "app/CSpeechApp.h"

namespace {

// The threads of this process (Linux), or 0 when they cannot be counted.
int CountThreads() {
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return 0;
  int count = 0;
  while (const dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(tasks);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  {
    CSpeechApp app(argc, argv);
    app.InitInstance();
    code = app.exitCode();
  }
  // Every thread of the engine and of the windows has ended by now.
  const int threads = CountThreads();
  if (threads > 1)
    std::fprintf(stderr, "zorvalis: %d threads still running at exit\n", threads - 1);
  return code;
}
