// A process that holds an engine keeps its own signal handling: the sound
// output must not take SIGTERM or SIGINT from tm_host once the engine has
// opened it, and tm_host removes its temporary folder as it ends.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/Installation.h"

extern char** environ;

namespace {

// How long the host may take to answer its first line, and to end after
// the signal: generous bounds, for sanitizer builds on busy machines.
constexpr int kAnswerMs = 60000;
constexpr auto kEndBound = std::chrono::seconds(5);

// Everything in dir, sub-folders included.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
    names.push_back(entry.path());
  return names;
}

TEST(HostSignalTest, AnInterruptOrATerminationEndsTheHostOnceItsEngineSpokeAndRemovesItsFolder) {
  testing_support::Installation installation;
  installation.Assemble();
  // The host's temporary folder goes where the test can see it.
  testing_support::TempDir temporary;
  testing_support::ScopedEnv tmpdir("TMPDIR", temporary.path().c_str());
  for (const int number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(number);
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
    std::string host = TM_HOST, install = "--install", dir = installation.dir(),
                phones = "--phones", lines = "-";
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
    EXPECT_FALSE(Listing(temporary.path()).empty());  // the host's registry stand-in

    ASSERT_EQ(::kill(pid, number), 0);
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
    ASSERT_EQ(ended, pid) << "tm_host ignored the signal";
    EXPECT_TRUE(WIFSIGNALED(status) ? WTERMSIG(status) == number : WEXITSTATUS(status) != 0);
    EXPECT_EQ(Listing(temporary.path()), std::vector<std::string>{});
    std::filesystem::remove_all(temporary.path());
    std::filesystem::create_directory(temporary.path());
  }
}

}  // namespace
