#include "support/cdebugtracer.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <thread>

#include "platform/FileSystem.h"

namespace {

constexpr int kDefaultFiles = 10;
constexpr int kDefaultLines = 2000;
constexpr int kLockAttempts = 10;
constexpr int kStaleAfterAttempts = 5;
constexpr int kLockWaitMs = 1000;
constexpr size_t kRecordSize = 16;

// Position in the ring, as kept in the control file.
struct ControlRecord {
  int32_t lines = 0;
  int32_t files = 0;
  int32_t count = 0;
  int32_t number = 0;
};

void PutInt(unsigned char* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int k = 0; k < 4; ++k) p[k] = static_cast<unsigned char>((u >> (8 * k)) & 0xFF);
}

int32_t GetInt(const unsigned char* p) {
  uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= static_cast<uint32_t>(p[k]) << (8 * k);
  return static_cast<int32_t>(u);
}

// Reads the control file. Returns the number of bytes read (up to 16), or -1
// when the file cannot be opened.
int ReadRecord(const std::string& path, ControlRecord& record) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return -1;
  unsigned char bytes[kRecordSize] = {};
  in.read(reinterpret_cast<char*>(bytes), kRecordSize);
  const auto got = static_cast<int>(in.gcount());
  if (got == static_cast<int>(kRecordSize)) {
    record.lines = GetInt(bytes);
    record.files = GetInt(bytes + 4);
    record.count = GetInt(bytes + 8);
    record.number = GetInt(bytes + 12);
  }
  return got;
}

void WriteRecord(const std::string& path, const ControlRecord& record) {
  unsigned char bytes[kRecordSize];
  PutInt(bytes, record.lines);
  PutInt(bytes + 4, record.files);
  PutInt(bytes + 8, record.count);
  PutInt(bytes + 12, record.number);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes), kRecordSize);
}

bool Consistent(const ControlRecord& r) {
  return r.files >= 1 && r.lines >= 1 && r.number >= 1 && r.number <= r.files && r.count >= 0;
}

int DigitCount(int n) {
  int digits = 1;
  while (n >= 10) {
    n /= 10;
    ++digits;
  }
  return digits;
}

// The name of trace file `number` of a ring of `files` files.
std::string TraceFileName(const std::string& base, int number, int files) {
  std::string digits = std::to_string(number);
  const int width = DigitCount(files);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  }
  return base + "_" + digits + ".trc";
}

// The two strerror_r flavours (GNU returns the text, XSI fills the buffer).
[[maybe_unused]] const char* PickErrorText(const char* gnu, const char* /*buffer*/) { return gnu; }
[[maybe_unused]] const char* PickErrorText(int xsi, const char* buffer) {
  return xsi == 0 ? buffer : "Unknown error";
}

std::string ErrorText(int error) {
  char buffer[256] = {};
  return PickErrorText(strerror_r(error, buffer, sizeof buffer), buffer);
}

std::string LocalTimeText() {
  const std::tm now = platform::LocalTime(std::time(nullptr));
  char buffer[32];
  const size_t n = std::strftime(buffer, sizeof buffer, "%Y/%m/%d:%H:%M:%S", &now);
  return std::string(buffer, n);
}

}  // namespace

CDebugTracer::CDebugTracer(const std::string& name, int files, int lines, bool enabled,
                           bool useLock)
    : files_(files < 1 ? kDefaultFiles : files),
      lines_(lines < 1 ? kDefaultLines : lines),
      name_(name),
      enabled_(enabled),
      useLock_(useLock) {}

bool CDebugTracer::queryInterface(int id, void** out) {
  return answerInterface(id, out, this, nullptr, this);
}

void CDebugTracer::setName(const std::string& name) { name_ = name; }

void CDebugTracer::setFileCount(int files) { files_ = files < 1 ? kDefaultFiles : files; }

void CDebugTracer::setLinesPerFile(int lines) { lines_ = lines < 1 ? kDefaultLines : lines; }

void CDebugTracer::setEnabled(bool enabled) { enabled_ = enabled; }

void CDebugTracer::setUseLock(bool useLock) { useLock_ = useLock; }

bool CDebugTracer::getUseLock() const { return useLock_; }

void CDebugTracer::resetFiles() {
  const std::string control = name_ + ".crl";
  ControlRecord record;
  const int got = ReadRecord(control, record);
  if (got < 0) return;
  std::remove(control.c_str());
  int last = files_;
  int ring = files_;
  if (got == static_cast<int>(kRecordSize) && Consistent(record)) {
    last = record.number;
    ring = record.files;
  }
  for (int number = 1; number <= last; ++number) {
    std::remove(TraceFileName(name_, number, ring).c_str());
  }
}

void CDebugTracer::printline(std::string source, int line, std::string text) {
  if (!enabled_) return;

  const std::string lockPath = name_ + ".lck";
  int lock = -1;
  if (useLock_) {
    for (int attempt = 1; lock < 0; ++attempt) {
      lock = open(lockPath.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR);
      if (lock >= 0) break;
      const int error = errno;
      if (error != EEXIST) {
        // Without the lock the line is dropped; the process goes on. The
        // numbers in these texts are fixed, not lines of this file.
        std::fprintf(stderr,
                     "cdebugtracer::150::CDebugTracer::printline(): cannot lock the trace control "
                     "file, '_open' failed with an error different from EACCES!\n");
        std::fprintf(stderr, "cdebugtracer::151::CDebugTracer::printline(): error is '%s'\n",
                     ErrorText(error).c_str());
        std::fflush(stderr);
        return;
      }
      if (attempt >= kLockAttempts) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(kLockWaitMs));
      // A lock that outlives this many waits was left behind by a dead writer.
      if (attempt == kStaleAfterAttempts) unlink(lockPath.c_str());
    }
  }

  const std::string control = name_ + ".crl";
  ControlRecord record;
  if (ReadRecord(control, record) != static_cast<int>(kRecordSize) || !Consistent(record)) {
    record.lines = lines_;
    record.files = files_;
    record.count = 0;
    record.number = 1;
  }
  if (record.count >= record.lines) {
    record.count = 0;
    record.number = record.number >= record.files ? 1 : record.number + 1;
  }

  const std::string tracePath = TraceFileName(name_, record.number, record.files);
  std::ofstream trace(tracePath,
                      std::ios::binary | (record.count == 0 ? std::ios::trunc : std::ios::app));
  if (trace) {
    trace << source + "::" + std::to_string(line) + "::" + LocalTimeText() + "::" + text + "\n";
    trace.flush();
    trace.close();
    ++record.count;
    WriteRecord(control, record);
  }

  if (lock >= 0) {
    close(lock);
    unlink(lockPath.c_str());
  }
}
