#include "engine/base/VLib.h"

#include <locale.h>
#include <sys/stat.h>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "engine/base/VStr.h"
#include "platform/ExitHook.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "support/utilities.h"

namespace VLib {
namespace {

// The size of the block that GetInstallPath hands out, and the buffer size
// that the registry query is given.
constexpr int kInstallPathBlock = 1000;
constexpr size_t kRegistryBufferSize = 900;

// Serialises the writers of this process so that lines written from the GUI
// thread and the speech thread never interleave; it also guards Held().
// Both live to the very end of the process (never destroyed): the static
// destructors that run at exit, the shared resources' among them, still log.
std::mutex& FileMutex() {
  static std::mutex* const m = new std::mutex;
  return *m;
}

// What is kept while engines hold the installation: its directory, found at
// the first use, and the engine log, opened for appending at the first line.
// Appending (O_APPEND) writes every line at the end of the file as it is
// then, so a restart of the log by another open, or a file emptied by
// someone else, is followed.
struct HeldInstallation {
  int holds = 0;
  bool found = false;
  std::string directory;
  std::FILE* log = nullptr;
  // The identity of the open log, to see whether the path still names it.
  dev_t logDevice = 0;
  ino_t logInode = 0;
};

HeldInstallation& Held() {
  static HeldInstallation* const held = new HeldInstallation;
  return *held;
}

void CloseHeldLog(HeldInstallation& held) {
  if (held.log != nullptr) std::fclose(held.log);
  held.log = nullptr;
}

// Whether path still names the open log: after the file has been deleted or
// renamed (or replaced) the next line goes to a new file at path. One stat,
// far cheaper than the open and close it spares.
bool HeldLogIsAt(const HeldInstallation& held, const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && st.st_dev == held.logDevice &&
         st.st_ino == held.logInode;
}

// Opens the engine log at path for appending and notes its identity.
void OpenHeldLog(HeldInstallation& held, const std::string& path) {
  held.log = std::fopen(path.c_str(), "a");
  struct stat st;
  if (held.log == nullptr || ::fstat(::fileno(held.log), &st) != 0) return;
  held.logDevice = st.st_dev;
  held.logInode = st.st_ino;
}

// Opens path with mode, writes data in one piece and closes the file; false
// when the file cannot be opened.
bool WriteToFile(const std::string& path, const char* mode, const std::string& data) {
  std::lock_guard<std::mutex> lock(FileMutex());
  std::FILE* f = std::fopen(path.c_str(), mode);
  if (f == nullptr) return false;
  if (!data.empty()) std::fwrite(data.data(), 1, data.size(), f);
  std::fflush(f);
  std::fclose(f);
  return true;
}

// Writes data to the engine log at path. Under a hold the file stays open
// and is flushed after the data; a restart (mode "w") closes it first.
// False when the file cannot be opened.
bool WriteToLog(const std::string& path, const char* mode, const std::string& data) {
  {
    std::lock_guard<std::mutex> lock(FileMutex());
    HeldInstallation& held = Held();
    if (mode[0] == 'w') CloseHeldLog(held);
    if (held.holds > 0 && mode[0] != 'w') {
      if (held.log != nullptr && !HeldLogIsAt(held, path)) CloseHeldLog(held);
      if (held.log == nullptr) OpenHeldLog(held, path);
      if (held.log == nullptr) return false;
      if (!data.empty()) std::fwrite(data.data(), 1, data.size(), held.log);
      std::fflush(held.log);
      return true;
    }
  }
  return WriteToFile(path, mode, data);
}

// The installation directory kept under a hold; false when there is none.
bool HeldDirectory(std::string& directory) {
  std::lock_guard<std::mutex> lock(FileMutex());
  const HeldInstallation& held = Held();
  if (held.holds == 0 || !held.found) return false;
  directory = held.directory;
  return true;
}

// Keeps directory while a hold lasts.
void KeepDirectory(const std::string& directory) {
  std::lock_guard<std::mutex> lock(FileMutex());
  HeldInstallation& held = Held();
  if (held.holds == 0 || held.found) return;
  held.directory = directory;
  held.found = true;
}

[[noreturn]] void ReportAndExit(const std::string& message, int code) {
  ReportError(message);
  platform::ExitProcess(code);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

locale_t ClassicLocale() {
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return classic;
}

}  // namespace

float linear_y(float x0, float x1, float y0, float y1, float x) {
  if (x1 == x0) return -666.0f;
  return (x - x0) * (y1 - y0) / (x1 - x0) + y0;
}

int Round(double v) {
  if (std::isnan(v)) return 0;
  const double low = std::floor(v);
  const double r = (v - low > 0.5) ? low + 1.0 : low;
  if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(r);
}

int TruncatedProduct(int reference, float scale) {
  const float v = static_cast<float>(reference) * scale;
  if (std::isnan(v)) return 0;
  if (v >= static_cast<float>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<float>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

int Quantize(double v, int step) {
  if (step == 0) return 0;
  const int64_t q = static_cast<int64_t>(Round(v / step)) * step;
  if (q > INT_MAX) return INT_MAX;
  if (q < INT_MIN) return INT_MIN;
  return static_cast<int>(q);
}

double ValueInRange(double a, double b, int n, int k, bool flag) {
  if (k == 0) return b;
  if (n == 0 || n == 1) return a * b;
  const double t =
      1.0 + (n - 1.0) * std::log(static_cast<double>(k)) / std::log(static_cast<double>(n));
  if (flag) return b * (1.0 - (1.0 - a) * t / n);
  return b * (1.0 - (1.0 - a) * (t - 1.0) / (n - 1.0));
}

void HoldInstallation() {
  std::lock_guard<std::mutex> lock(FileMutex());
  ++Held().holds;
}

void ReleaseInstallation() {
  std::lock_guard<std::mutex> lock(FileMutex());
  HeldInstallation& held = Held();
  if (held.holds == 0 || --held.holds > 0) return;
  CloseHeldLog(held);
  held.found = false;
  held.directory.clear();
}

std::string InstallPath() {
  std::string kept;
  if (HeldDirectory(kept)) return kept;
  const std::string where = std::string("HKEY_CURRENT_USER\\") + kRegistryKey + "\n";
  platform::RegistryKey key;
  long rc = platform::RegistryOpenKey(kRegistryKey, key);
  if (rc != platform::kRegSuccess) {
    ReportAndExit(where + "error reading registry. rc == " + std::to_string(rc) + "\nError 541",
                  kExitRegistryKey);
  }
  std::string path;
  rc = platform::RegistryQueryValue(key, kRegistryValue, path, kRegistryBufferSize);
  if (rc != platform::kRegSuccess) {
    ReportAndExit(
        where + "error reading path from registry. rc == " + std::to_string(rc) + "\nError 540",
        kExitRegistryValue);
  }
  KeepDirectory(path);
  return path;
}

char* GetInstallPath() {
  const std::string path = InstallPath();
  char* block = VStr::Allocate(kInstallPathBlock);
  // The registry query never gives more than the buffer size allows.
  std::memcpy(block, path.data(),
              std::min(path.size(), static_cast<size_t>(kInstallPathBlock - 1)));
  return block;
}

std::string MakePath(const std::string& name) {
  return InstallPath() + UTILITIES::PATH_SEPARATOR + name;
}

std::string MakePath(const char* name) {
  return MakePath(std::string(name != nullptr ? name : ""));
}

void NormalizeChar(char* c) {
  if (c == nullptr) return;
  if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
  if (*c == '?') *c = ';';
}

int ParseInt(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int ParseInt(const std::string& text) { return ParseInt(text.c_str()); }

double ParseFloat(const char* text) {
  if (text == nullptr) return 0.0;
  const locale_t classic = ClassicLocale();
  if (classic != static_cast<locale_t>(0)) {
    // Only this thread's locale changes, and only for the one call.
    const locale_t previous = uselocale(classic);
    const double value = std::strtod(text, nullptr);
    uselocale(previous);
    return value;
  }
  const char* p = text;
  while (IsBlank(*p)) ++p;
  if (*p == '+' && p[1] != '-') ++p;
  double value = 0.0;
  const auto result = std::from_chars(p, p + std::strlen(p), value);
  return result.ec == std::errc() ? value : 0.0;
}

double ParseFloat(const std::string& text) { return ParseFloat(text.c_str()); }

void Trace(const char* text, const char* mode, bool newline, const char* file) {
  std::string data = text != nullptr ? text : "";
  if (newline) data += '\n';
  const char* openMode = (mode != nullptr && mode[0] == 'w') ? "w" : "a";
  if (file != nullptr) {
    if (!WriteToFile(file, openMode, data)) ReportAndExit(file, kExitTraceFile);
    return;
  }
  const std::string path = MakePath(kLogFileName);
  if (!WriteToLog(path, openMode, data)) ReportAndExit(path, kExitTraceFile);
}

void Trace(const std::string& text, const char* mode, bool newline, const char* file) {
  Trace(text.c_str(), mode, newline, file);
}

bool AppendToLog(const std::string& line) {
  platform::RegistryKey key;
  std::string dir;
  if (!HeldDirectory(dir) &&
      (platform::RegistryOpenKey(kRegistryKey, key) != platform::kRegSuccess ||
       platform::RegistryQueryValue(key, kRegistryValue, dir, kRegistryBufferSize) !=
           platform::kRegSuccess)) {
    return false;
  }
  return WriteToLog(dir + UTILITIES::PATH_SEPARATOR + kLogFileName, "a", line + "\n");
}

void ReportError(const char* message) {
  const std::string line =
      UTILITIES::getTimeStamp() + "\t" + std::string(message != nullptr ? message : "");
  // The report writes its own file: a failure here must not come back here.
  const bool written = WriteToFile(kErrorFileName, "a", line + "\n");
  platform::ShowMessageBox(kReportCaption, line);
  if (!written) platform::ExitProcess(kExitTraceFile);
}

void ReportError(const std::string& message) { ReportError(message.c_str()); }

void RemoveErrorFile() { std::remove(kErrorFileName); }

}  // namespace VLib
