// The count of threads at the program's exit: threads of our own count,
// those that Qt keeps to the end of the process do not.
#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/ProcessThreads.h"
#include "tests/app/AppTestSupport.h"

namespace {

TEST(ProcessThreadsTest, OwnThreadsCountButQtThreadsDoNot) {
  app_testing::App();
  const int before = process_threads::CountOthers();
  // A thread of Qt's, named after its class as Qt's D-Bus thread is.
  QThread qtThread;
  qtThread.setObjectName("QDBusConnection");
  qtThread.start();
  // Its name is set from the thread itself.
  ASSERT_TRUE(QTest::qWaitFor([&] { return qtThread.isRunning(); }));
  QTest::qWait(50);
  EXPECT_EQ(process_threads::CountOthers(), before);

  std::mutex mutex;
  std::condition_variable done;
  bool end = false;
  std::thread own([&] {
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [&] { return end; });
  });
  EXPECT_EQ(process_threads::CountOthers(), before + 1);
  {
    std::lock_guard<std::mutex> lock(mutex);
    end = true;
  }
  done.notify_all();
  own.join();
  qtThread.quit();
  qtThread.wait();

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
