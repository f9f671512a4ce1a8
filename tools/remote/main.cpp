// zorvalis-send: drives a running zorvalis through its remote control.
//
//   zorvalis-send COMMAND [TEXT]   sends "[" COMMAND "]" TEXT, e.g.
//                                  zorvalis-send play "Καλημέρα σας."
//                                  zorvalis-send paus | stop | p:15 | s:08 | v:10
//   zorvalis-send --raw MESSAGE    sends MESSAGE as it stands
//   --timeout SECONDS first        gives the whole exchange that long, however
//                                  slowly the program reads or answers
//                                  (default 10; 0 waits without a limit)
//
// The message travels with its terminating zero. Prints the program's
// answer, TRUE or FALSE; exits with 0 for TRUE, 1 for FALSE and 2 when no
// answer came (in time).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/RemoteProtocol.h"

namespace {

constexpr int kExitTrue = 0;
constexpr int kExitFalse = 1;
constexpr int kExitFailed = 2;

int Usage() {
  std::fprintf(stderr,
               "usage: zorvalis-send [--timeout SECONDS] COMMAND [TEXT]\n"
               "       zorvalis-send [--timeout SECONDS] --raw MESSAGE\n");
  return kExitFailed;
}

// Seconds (a decimal number, 0 or more) as milliseconds, or -1.
long long Milliseconds(const char* text) {
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(seconds >= 0.0) || seconds > 1e6) return -1;
  // A limit, however short, stays a limit: only 0 waits without one.
  const long long ms = static_cast<long long>(seconds * 1000.0);
  return ms == 0 && seconds > 0.0 ? 1 : ms;
}

}  // namespace

int main(int argc, char** argv) {
  std::chrono::milliseconds wait(remote::kReplyWait);
  if (argc >= 3 && std::strcmp(argv[1], "--timeout") == 0) {
    const long long ms = Milliseconds(argv[2]);
    if (ms < 0) return Usage();
    wait = std::chrono::milliseconds(ms);
    argc -= 2;
    argv += 2;
  }
  std::string message;
  if (argc == 3 && std::strcmp(argv[1], "--raw") == 0) {
    message = argv[2];
  } else if ((argc == 2 || argc == 3) && argv[1][0] != '-') {
    message = std::string("[") + argv[1] + "]" + (argc == 3 ? argv[2] : "");
  } else {
    return Usage();
  }
  message.push_back('\0');

  std::string error;
  const std::string path = remote::SocketPath(&error);
  const int answer = path.empty() ? -1 : remote::SendRequest(path, 0, message, &error, wait);
  if (answer < 0) {
    std::fprintf(stderr, "zorvalis-send: %s\n", error.c_str());
    return kExitFailed;
  }
  std::puts(answer == 1 ? "TRUE" : "FALSE");
  return answer == 1 ? kExitTrue : kExitFalse;
}
