// The threads of this process that the program and its engine started
// (Linux), as the check at exit counts them.
#pragma once

#include <string>

namespace process_threads {

// Whether a thread of this name belongs to a library that keeps it to the
// end of the process: Qt names its own threads after their class
// ("QDBusConnection", "QXcbEventQueue", "Thread (pooled)"), GLib its own
// ("gmain", "gdbus", "dconf worker", "pool-..."). Our threads keep the
// program's name.
bool IsLibraryThread(const std::string& name);

// The threads of this process besides the calling one that are not library
// threads; 0 when they cannot be counted.
int CountOthers();

}  // namespace process_threads
