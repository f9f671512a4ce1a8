#include "app/RemoteProtocol.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace remote {
namespace {

constexpr mode_t kPrivateMode = 0700;
constexpr mode_t kOthersBits = 0077;

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

// Whether path is a real directory (not a link) of this user that no one
// else may enter.
bool IsPrivateFolder(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & kOthersBits) == 0;
}

void PutUint32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// When an exchange must be over; without a limit, never.
class Deadline {
 public:
  explicit Deadline(std::chrono::milliseconds wait)
      : limited_(wait.count() > 0), end_(std::chrono::steady_clock::now() + wait) {}

  // Waits until fd is ready for events or the deadline has passed: false,
  // with errno ETIMEDOUT, when it has.
  bool WaitFor(int fd, short events) const {
    for (;;) {
      int timeout = -1;
      if (limited_) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
          errno = ETIMEDOUT;
          return false;
        }
        timeout = static_cast<int>(std::min<long long>(left.count(), kMaxPollMs));
      }
      pollfd p{fd, events, 0};
      const int n = poll(&p, 1, timeout);
      if (n > 0) return true;
      if (n < 0 && errno != EINTR) return false;
    }
  }

  // The time left as a socket time-out (for connect, which poll cannot
  // bound on a local socket); zero without a limit.
  timeval Left() const {
    timeval left{};
    if (!limited_) return left;
    const auto us = std::max<long long>(1, std::chrono::duration_cast<std::chrono::microseconds>(
                                               end_ - std::chrono::steady_clock::now())
                                               .count());
    left.tv_sec = static_cast<time_t>(us / 1000000);
    left.tv_usec = static_cast<suseconds_t>(us % 1000000);
    return left;
  }

 private:
  static constexpr long long kMaxPollMs = 1000000;
  bool limited_;
  std::chrono::steady_clock::time_point end_;
};

// A connected socket to path, or -1. A deadline bounds the connection.
int Connect(const std::string& path, std::string* error, const Deadline& deadline) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) {
    SetError(error, "socket path too long: " + path);
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    SetError(error, std::strerror(errno));
    return -1;
  }
  const timeval left = deadline.Left();
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &left, sizeof left);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    SetError(error, "cannot connect to " + path + ": " + std::strerror(errno));
    close(fd);
    return -1;
  }
  return fd;
}

// Sends every byte before the deadline.
bool SendAll(int fd, const std::string& bytes, const Deadline& deadline) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (!deadline.WaitFor(fd, POLLOUT)) return false;
    const ssize_t n =
        send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Receives count bytes before the deadline.
bool ReceiveAll(int fd, char* out, std::size_t count, const Deadline& deadline) {
  std::size_t done = 0;
  while (done < count) {
    if (!deadline.WaitFor(fd, POLLIN)) return false;
    const ssize_t n = recv(fd, out + done, count - done, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string SocketPath(std::string* error) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) {
    return std::string(runtime) + "/" + kSocketName;
  }
  const std::string folder = "/tmp/zorvalis-" + std::to_string(geteuid());
  if (mkdir(folder.c_str(), kPrivateMode) != 0 && errno != EEXIST) {
    SetError(error, "cannot create " + folder + ": " + std::strerror(errno));
    return {};
  }
  if (!IsPrivateFolder(folder)) {
    SetError(error, folder + " is not a private folder of this user");
    return {};
  }
  return folder + "/" + kSocketName;
}

std::string EncodeRequest(std::uint32_t tag, const std::string& bytes) {
  std::string out;
  PutUint32(out, tag);
  PutUint32(out, static_cast<std::uint32_t>(bytes.size()));
  return out + bytes;
}

std::string EncodeReply(bool answer) {
  std::string out;
  PutUint32(out, answer ? 1 : 0);
  return out;
}

std::uint32_t ReadUint32(const char* bytes) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

bool TakeRequests(std::string& pending, std::vector<std::string>& requests) {
  std::size_t start = 0;
  bool acceptable = true;
  while (pending.size() - start >= kHeaderBytes) {
    const std::uint32_t count = ReadUint32(pending.data() + start + 4);
    if (count > kMaxRequestBytes) {
      acceptable = false;
      break;
    }
    if (pending.size() - start - kHeaderBytes < count) break;
    requests.push_back(pending.substr(start + kHeaderBytes, count));
    start += kHeaderBytes + count;
  }
  pending.erase(0, start);
  return acceptable;
}

int SendRequest(const std::string& path, std::uint32_t tag, const std::string& bytes,
                std::string* error, std::chrono::milliseconds wait) {
  // One limit for the whole exchange: the connection, the request and the
  // reply, however the other side spreads them out.
  const Deadline deadline(wait);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", static_cast<double>(wait.count()) / 1000.0);
  const std::string late = std::string("no answer within ") + seconds + " s";
  const auto timedOut = [] {
    return errno == ETIMEDOUT || errno == EAGAIN || errno == EWOULDBLOCK;
  };
  errno = 0;
  const int fd = Connect(path, error, deadline);
  if (fd < 0) {
    if (timedOut()) SetError(error, late);
    return -1;
  }
  char reply[kReplyBytes];
  int result = -1;
  errno = 0;
  if (!SendAll(fd, EncodeRequest(tag, bytes), deadline)) {
    SetError(error,
             timedOut() ? late : std::string("cannot send the request: ") + std::strerror(errno));
  } else if (errno = 0; !ReceiveAll(fd, reply, kReplyBytes, deadline)) {
    SetError(error, timedOut() ? late : "no reply");
  } else {
    result = ReadUint32(reply) != 0 ? 1 : 0;
  }
  close(fd);
  return result;
}

bool ServerAnswers(const std::string& path) {
  const int fd = Connect(path, nullptr, Deadline(std::chrono::milliseconds(0)));
  if (fd < 0) return false;
  close(fd);
  return true;
}

}  // namespace remote
