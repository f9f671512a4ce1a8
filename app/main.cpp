// The desktop program "zorvalis".
#include <cstdio>

#include "app/CSpeechApp.h"
#include "app/ProcessThreads.h"

int main(int argc, char** argv) {
  int code = 0;
  {
    CSpeechApp app(argc, argv);
    app.InitInstance();
    code = app.exitCode();
  }
  // Every thread of the engine and of the dialog has ended by now (the
  // threads that Qt keeps to the end are not ours to count).
  const int threads = process_threads::CountOthers();
  if (threads > 0) std::fprintf(stderr, "zorvalis: %d threads still running at exit\n", threads);
  return code;
}
