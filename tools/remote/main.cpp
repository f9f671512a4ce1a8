// zorvalis-send: drives a running zorvalis through its remote control.
//
//   zorvalis-send COMMAND [TEXT]   sends "[" COMMAND "]" TEXT, e.g.
//                                  zorvalis-send play "Καλημέρα σας."
//                                  zorvalis-send paus | stop | p:15 | s:08 | v:10
//   zorvalis-send --raw MESSAGE    sends MESSAGE as it stands
//
// The message travels with its terminating zero. Prints the program's
// answer, TRUE or FALSE; exits with 0 for TRUE, 1 for FALSE and 2 when no
// answer came.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/RemoteProtocol.h"

namespace {

constexpr int kExitTrue = 0;
constexpr int kExitFalse = 1;
constexpr int kExitFailed = 2;

int Usage() {
  std::fprintf(stderr, "usage: zorvalis-send COMMAND [TEXT]\n       zorvalis-send --raw MESSAGE\n");
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
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
  const int answer = path.empty() ? -1 : remote::SendRequest(path, 0, message, &error);
  if (answer < 0) {
    std::fprintf(stderr, "zorvalis-send: %s\n", error.c_str());
    return kExitFailed;
  }
  std::puts(answer == 1 ? "TRUE" : "FALSE");
  return answer == 1 ? kExitTrue : kExitFalse;
}
