// The remote control within this process: the sender tool's requests over a
// private socket, their answers and order, and what the server refuses.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QEventLoop>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/RemoteControl.h"
#include "app/RemoteProtocol.h"
#include "tests/app/AppTestSupport.h"

namespace {

class RemoteControlTest : public testing::Test {
 protected:
  RemoteControlTest() : runtime_("XDG_RUNTIME_DIR", dir_.path().c_str()) {
    app_testing::App();
    chmod(dir_.path().c_str(), 0700);
  }

  // Starts the sender tool with arguments.
  QProcess* Send(const QStringList& arguments) {
    auto* sender = new QProcess(&processes_);
    sender->start(TM_SENDER, arguments);
    return sender;
  }
  // A socket bound at the remote control's path, or -1.
  int BoundSocket() {
    const std::string path = dir_ / remote::kSocketName;
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) return fd;
    close(fd);
    return -1;
  }
  // Waits for a sender and gives its output and exit code.
  static std::pair<std::string, int> Result(QProcess* sender) {
    EXPECT_TRUE(
        QTest::qWaitFor([sender] { return sender->state() == QProcess::NotRunning; }, 10000));
    return {sender->readAllStandardOutput().toStdString(), sender->exitCode()};
  }

  testing_support::TempDir dir_;
  testing_support::ScopedEnv runtime_;
  QObject processes_;
  std::vector<std::string> log_;
};

TEST_F(RemoteControlTest, SenderGetsTheAnswersInTurnAlsoWhileOneIsBeingHandled) {
  QProcess* second = nullptr;
  RemoteControl server([&](const QByteArray& bytes) {
    log_.push_back(bytes.toStdString());
    if (second == nullptr) {
      // Like a message box: a nested loop runs while the second request arrives.
      second = Send({"stop"});
      QEventLoop box;
      QTimer::singleShot(500, &box, &QEventLoop::quit);
      box.exec();
    }
    log_.push_back("end");
    return !bytes.startsWith("[stop]");
  });
  ASSERT_TRUE(server.Start());
  struct stat st {};  // the socket is in the runtime folder, private
  ASSERT_EQ(stat((dir_ / "zorvalis-remote").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);

  EXPECT_EQ(Result(Send({"play", "Καλημέρα σας"})), std::make_pair(std::string("TRUE\n"), 0));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Result(second), std::make_pair(std::string("FALSE\n"), 1));
  EXPECT_EQ(Result(Send({"--raw", "xp:15y"})), std::make_pair(std::string("TRUE\n"), 0));
  using namespace std::string_literals;
  EXPECT_EQ(log_, (std::vector<std::string>{"[play]Καλημέρα σας\0"s, "end", "[stop]\0"s, "end",
                                            "xp:15y\0"s, "end"}));
}

TEST_F(RemoteControlTest, StaleSocketIsReplacedButALiveOneIsLeftAlone) {
  // A socket left behind by a program that has ended.
  const int fd = BoundSocket();
  ASSERT_GE(fd, 0);
  close(fd);
  RemoteControl server([](const QByteArray&) { return true; });
  ASSERT_TRUE(server.Start());
  RemoteControl second([](const QByteArray&) { return true; });
  std::string error;
  EXPECT_FALSE(second.Start(std::string(), &error));
  EXPECT_NE(error.find("another program"), std::string::npos);
  EXPECT_EQ(Result(Send({"stop"})).second, 0);
}

TEST_F(RemoteControlTest, OversizedRequestIsRefusedUnread) {
  bool called = false;
  RemoteControl server([&called](const QByteArray&) { return called = true; });
  ASSERT_TRUE(server.Start());
  QLocalSocket client;
  client.connectToServer(server.path());
  ASSERT_TRUE(client.waitForConnected(5000));
  // Tag 0, then a byte count of 2^20 + 1.
  const std::string header("\0\0\0\0\x01\0\x10\0", 8);
  client.write(header.data(), static_cast<qint64>(header.size()));
  ASSERT_TRUE(QTest::qWaitFor([&client] { return client.bytesAvailable() >= 4; }, 5000));
  EXPECT_EQ(client.readAll().toStdString(), remote::EncodeReply(false));
  EXPECT_FALSE(called);
}

TEST_F(RemoteControlTest, SenderGivesUpAfterItsTimeLimit) {
  // A program that takes the request but never answers.
  const int fd = BoundSocket();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(listen(fd, 4), 0);
  const std::tuple<const char*, QStringList, std::string> rows[] = {
      {"a limit of its own", {"--timeout", "0.5", "play", "x"}, "no answer within 0.5 s"},
      {"a limit below a millisecond", {"--timeout", "0.0001", "stop"}, "no answer within 0.001 s"},
      {"a limit that is not a number", {"--timeout", "soon", "stop"}, "usage:"},
  };
  for (const auto& [name, arguments, message] : rows) {
    SCOPED_TRACE(name);
    QProcess* sender = Send(arguments);
    EXPECT_EQ(Result(sender), std::make_pair(std::string(), 2));
    EXPECT_NE(sender->readAllStandardError().toStdString().find(message), std::string::npos);
  }
  close(fd);
}

TEST_F(RemoteControlTest, SenderBoundsTheWholeExchangeByItsTimeLimit) {
  // A program that takes the request and answers TRUE in steps, each
  // shorter than the sender's limit of one second, all of them longer.
  const int fd = BoundSocket();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(listen(fd, 4), 0);
  // Each step: a pause, then so many bytes of the reply.
  using Steps = std::vector<std::pair<std::chrono::milliseconds, std::size_t>>;
  const std::pair<const char*, Steps> rows[] = {
      {"a byte at a time", Steps(4, {std::chrono::milliseconds(400), 1})},
      {"after a pause, then the rest",
       {{std::chrono::milliseconds(800), 1}, {std::chrono::milliseconds(800), 3}}},
  };
  const std::string reply = remote::EncodeReply(true);
  for (const auto& [name, steps] : rows) {
    SCOPED_TRACE(name);
    QProcess* sender = Send({"--timeout", "1", "play", "x"});
    pollfd waiting{fd, POLLIN, 0};
    ASSERT_EQ(poll(&waiting, 1, 10000), 1);
    const int connection = accept(fd, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    std::size_t sent = 0;
    for (const auto& [pause, bytes] : steps) {
      std::this_thread::sleep_for(pause);
      send(connection, reply.data() + sent, bytes, MSG_NOSIGNAL);
      sent += bytes;
    }
    EXPECT_EQ(Result(sender), std::make_pair(std::string(), 2));
    EXPECT_NE(sender->readAllStandardError().toStdString().find("no answer within 1 s"),
              std::string::npos);
    close(connection);
  }
  close(fd);
}

TEST(RemoteProtocolTest, ARequestOfTheLargestSizeIsTakenWhole) {
  const std::string largest(remote::kMaxRequestBytes, 'a');
  std::string pending = remote::EncodeRequest(7, largest) + remote::EncodeRequest(0, "b");
  std::vector<std::string> requests;
  EXPECT_TRUE(remote::TakeRequests(pending, requests));
  EXPECT_TRUE(requests == (std::vector<std::string>{largest, "b"}));
  EXPECT_TRUE(pending.empty());
}

}  // namespace
