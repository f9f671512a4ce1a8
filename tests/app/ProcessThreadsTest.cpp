// The count of threads at the program's exit: threads of our own count,
// those that Qt and GLib keep to the end of the process do not.
#include <gtest/gtest.h>
#include <pthread.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "app/ProcessThreads.h"

namespace {

// A thread that names itself (as Qt names its threads after their class)
// and runs until the end of its scope.
class NamedThread {
 public:
  explicit NamedThread(const std::string& name) {
    thread_ = std::thread([this, name] {
      if (!name.empty()) pthread_setname_np(pthread_self(), name.c_str());
      std::unique_lock<std::mutex> lock(mutex_);
      named_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return end_; });
    });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return named_; });
  }
  ~NamedThread() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      end_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool named_ = false;
  bool end_ = false;
  std::thread thread_;
};

TEST(ProcessThreadsTest, OwnThreadsCountButThoseOfQtAndGLibDoNot) {
  // A sanitizer starts a helper thread of its own with the first thread the
  // process makes; it is there before the count is taken.
  std::thread([] {}).join();
  const int before = process_threads::CountOthers();
  {
    // Qt's D-Bus thread, GLib's main-loop thread.
    NamedThread dbus("QDBusConnection");
    NamedThread glib("gmain");
    EXPECT_EQ(process_threads::CountOthers(), before);
    // One of ours keeps the program's name.
    NamedThread own("");
    EXPECT_EQ(process_threads::CountOthers(), before + 1);
  }
  EXPECT_EQ(process_threads::CountOthers(), before);

  const std::pair<const char*, bool> names[] = {
      {"QDBusConnection", true}, {"QXcbEventQueue", true}, {"gmain", true},
      {"gdbus", true},           {"zorvalis", false},      {"SDLAudioP2", false},
  };
  for (const auto& [name, library] : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(process_threads::IsLibraryThread(name), library);
  }
}

}  // namespace
