// A process that holds an engine keeps its own signal handling: the sound
// output must not take SIGTERM from tm_host once the engine has opened it.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/common/Installation.h"

extern char** environ;

namespace {

// How long the host may take to answer its first line, and to end after
// the signal: generous bounds, for sanitizer builds on busy machines.
constexpr int kAnswerMs = 60000;
constexpr auto kEndBound = std::chrono::seconds(5);

TEST(HostSignalTest, SigtermEndsTheHostWithAFailureStatusOnceItsEngineSpoke) {
  testing_support::Installation installation;
  installation.Assemble();
  int in[2], out[2];
  ASSERT_EQ(::pipe(in), 0);
  ASSERT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  for (const int fd : {in[0], in[1], out[0], out[1]})
    posix_spawn_file_actions_addclose(&actions, fd);
  // Every line of standard input is run; the default font opens the device.
  std::string host = TM_HOST, install = "--install", dir = installation.dir(), phones = "--phones",
              lines = "-";
  char* argv[] = {host.data(), install.data(), dir.data(), phones.data(), lines.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, TM_HOST, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);

  const std::string line = "kalimera\n";
  ASSERT_EQ(::write(in[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
  pollfd answer{out[0], POLLIN, 0};
  EXPECT_EQ(::poll(&answer, 1, kAnswerMs), 1);
  char buffer[256];
  EXPECT_GT(::read(out[0], buffer, sizeof buffer), 0);

  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  int status = 0;
  pid_t ended = 0;
  testing_support::WaitUntil([&] { return (ended = ::waitpid(pid, &status, WNOHANG)) != 0; },
                             kEndBound);
  if (ended == 0) {  // still running: the signal was taken from it
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  ::close(in[1]);
  ::close(out[0]);
  ASSERT_EQ(ended, pid) << "tm_host ignored SIGTERM";
  EXPECT_TRUE(WIFSIGNALED(status) ? WTERMSIG(status) == SIGTERM : WEXITSTATUS(status) != 0);
}

}  // namespace
