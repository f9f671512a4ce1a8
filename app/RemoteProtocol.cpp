#include "app/RemoteProtocol.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

// A connected socket to path, or -1.
int Connect(const std::string& path, std::string* error) {
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
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    SetError(error, "cannot connect to " + path + ": " + std::strerror(errno));
    close(fd);
    return -1;
  }
  return fd;
}

bool SendAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReceiveAll(int fd, char* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = recv(fd, out + done, count - done, 0);
    if (n < 0 && errno == EINTR) continue;
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
  const int fd = Connect(path, error);
  if (fd < 0) return -1;
  if (wait.count() > 0) {
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(wait.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((wait.count() % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  }
  const auto timedOut = [] { return errno == EAGAIN || errno == EWOULDBLOCK; };
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", static_cast<double>(wait.count()) / 1000.0);
  const std::string late = std::string("no answer within ") + seconds + " s";
  char reply[kReplyBytes];
  int result = -1;
  errno = 0;
  if (!SendAll(fd, EncodeRequest(tag, bytes))) {
    SetError(error,
             timedOut() ? late : std::string("cannot send the request: ") + std::strerror(errno));
  } else if (errno = 0; !ReceiveAll(fd, reply, kReplyBytes)) {
    SetError(error, timedOut() ? late : "no reply");
  } else {
    result = ReadUint32(reply) != 0 ? 1 : 0;
  }
  close(fd);
  return result;
}

bool ServerAnswers(const std::string& path) {
  const int fd = Connect(path, nullptr);
  if (fd < 0) return false;
  close(fd);
  return true;
}

}  // namespace remote
