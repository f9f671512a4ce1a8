// Numeric helpers, the installation directory and installation-relative
// paths, one-character normalising, locale-independent number reading, the
// trace primitive that appends a text to a file and the error report.
#pragma once

#include <string>

namespace VLib {

// Exit codes with which the engine ends the process.
constexpr int kExitRegistryValue = 540;  // the value "path" cannot be read
constexpr int kExitRegistryKey = 541;    // the registry key cannot be opened
constexpr int kExitTraceFile = 550;      // a trace or report file cannot be opened

// The registry key and value that hold the installation directory.
constexpr const char* kRegistryKey = "Software\\Quenmoor\\ZORVALIS";
constexpr const char* kRegistryValue = "path";

// The error report file, in the current directory.
constexpr const char* kErrorFileName = "TamrinError.txt";
// The engine log, in the installation directory.
constexpr const char* kLogFileName = "log.txt";
// The caption of the error report's message box.
constexpr const char* kReportCaption = "Tamrin Engine";

// The value at x of the straight line through (x0, y0) and (x1, y1);
// -666.0 when x1 equals x0.
float linear_y(float x0, float x1, float y0, float y1, float x);

// The nearest whole number; an exact half goes to the lower neighbour
// (2.5 gives 2, -2.5 gives -3). Saturates at the limits of int; NaN gives 0.
int Round(double v);

// reference x scale, multiplied in single precision as the voice's values
// are, truncated toward zero and kept within int (NaN gives 0): the base
// duration and the base F0 of a voice at a speed or pitch scale (120 x 0.9
// gives 108).
int TruncatedProduct(int reference, float scale);

// Round(v / step) * step; 0 for a step of 0.
int Quantize(double v, int step);

// A value that moves from b (k = 1) towards a * b (k = n) on a logarithmic
// scale: b for k == 0, a * b for n == 0 or n == 1, else with
// t = 1 + (n - 1) ln k / ln n: b (1 - (1 - a) t / n) when flag is set,
// b (1 - (1 - a) (t - 1) / (n - 1)) otherwise.
double ValueInRange(double a, double b, int n, int k, bool flag);

// The installation directory from the registry, in a new block of 1000 bytes
// that the caller releases with VStr::Release. The registry is read on every
// call, except while the installation is held (below). When the key cannot
// be opened or the value cannot be read, the error report receives the
// failure and the process ends with 541 or 540.
char* GetInstallPath();

// Holds of the installation, one for each engine while it lives. While at
// least one is taken, the registry is read once (at the first use) and its
// directory kept, and the engine log "log.txt" stays open for appending,
// flushed after every line; a restart of the log still restarts the file,
// and after the file has been deleted, renamed or replaced the next line
// goes to a new "log.txt". The last release closes the log and forgets the
// directory.
void HoldInstallation();
void ReleaseInstallation();

// A hold for the length of a scope (the shared resources' load and unload).
class InstallationHold {
 public:
  InstallationHold() { HoldInstallation(); }
  ~InstallationHold() { ReleaseInstallation(); }
  InstallationHold(const InstallationHold&) = delete;
  InstallationHold& operator=(const InstallationHold&) = delete;
};

// The same directory as a standard string (same failures).
std::string InstallPath();

// The installation directory, a '/' and name (null reads as the empty name).
std::string MakePath(const std::string& name);
std::string MakePath(const char* name);

// 'A' to 'Z' become lower case, then '?' becomes ';'; every other byte,
// those above 127 included, stays. Null is left alone.
void NormalizeChar(char* c);

// atoi and atof without the process locale: leading white space is skipped,
// reading stops at the first character that cannot continue the number, and
// nothing readable gives 0. The decimal point is always '.'. ParseInt
// saturates at the limits of int.
int ParseInt(const std::string& text);
int ParseInt(const char* text);
double ParseFloat(const std::string& text);
double ParseFloat(const char* text);

// Writes text to file (when file is null: the installation's "log.txt"),
// followed by "\n" when newline is set, opening the file with mode ("w"
// restarts it, anything else appends; null appends) and closing it again
// (the engine log stays open while the installation is held).
// A file that cannot be opened is reported (its path is the message) and
// ends the process with 550. The text is written as it stands.
void Trace(const char* text, const char* mode, bool newline, const char* file = nullptr);
void Trace(const std::string& text, const char* mode, bool newline, const char* file = nullptr);

// Appends one line to the installation's "log.txt" and never ends the
// process: for destructors, which may run when no installation is registered
// (at the end of the process). False when nothing could be written.
bool AppendToLog(const std::string& line);

// The error report: appends a time stamp ("%Y%m%d%H%M%S"), a tab, the message
// and a newline to "TamrinError.txt" in the current directory, then shows
// the same line in a message box captioned "Tamrin Engine" and returns when
// it is dismissed. When the file cannot be opened the box is still shown and
// the process ends with 550. A null message reads as the empty text.
void ReportError(const char* message);
void ReportError(const std::string& message);

// Deletes "TamrinError.txt" in the current directory (a missing file is fine).
void RemoveErrorFile();

// Debug trace entry points: they accept anything and write nothing.
template <typename... Args>
inline void DebugTrace(const Args&...) {}
template <typename... Args>
inline void DebugReport(const Args&...) {}

}  // namespace VLib
