// Speed and memory of the whole road from text to WAVE file, beside
// espeak-ng: Greek texts of 1k, 10k, 100k and 1M characters go through the
// default voice font's chain to a WAVE file (tmengine_TextToFile), each in a
// process of its own, and the same texts through `espeak-ng -v el -w`.
// For each length it prints the CPU seconds of both processes (user and
// system), their ratio, the cost per character (of our run alone, and of
// our whole process) and the peak memory of both, then checks the targets:
// at most half the peer's CPU from 10k characters on, a cost per character
// flat within 10 %, and a peak of at most twice the WAVE file plus 20 MB.
//
// Usage: bench_speech [characters...]   (default: 1000 10000 100000 1000000)
// A small set (bench_speech 1000) runs in a second or two.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchData.h"
#include "engine/interface/tmengine.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDefaultLengths[] = {1000, 10000, 100000, 1000000};
// Whole processes are measured this many times, the best one counted: five
// times below 100k characters, three times below 1M, once from 1M on.
int Rounds(std::size_t characters) {
  return characters < 100000 ? 5 : characters < 1000000 ? 3 : 1;
}
constexpr double kMiB = 1024.0 * 1024.0;
// The targets.
constexpr double kMaxRatio = 0.5;
constexpr std::size_t kRatioFrom = 10000;
constexpr double kMaxSpread = 0.10;
constexpr double kMemorySlackMiB = 20.0;
// The option that makes this program the measured engine process.
constexpr const char* kChildOption = "--engine";

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
}

double CpuSeconds(const rusage& usage) { return Seconds(usage.ru_utime) + Seconds(usage.ru_stime); }

// The engine process: text file (UTF-8) to wave file through the
// registered installation; prints the CPU seconds of the request alone.
int EngineProcess(const char* textFile, const char* waveFile) {
  std::ifstream in(textFile, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (tmengine__LoadSharedResources() != 0) return 1;
  Tamrin* engine = nullptr;
  if (tmengine__New(&engine) != 0) return 1;
  rusage before{};
  rusage after{};
  getrusage(RUSAGE_SELF, &before);
  const int r = tmengine_TextToFile(engine, text.c_str(), waveFile);
  getrusage(RUSAGE_SELF, &after);
  std::printf("%.6f\n", CpuSeconds(after) - CpuSeconds(before));
  tmengine__Delete(&engine);
  tmengine__ReleaseSharedResources();
  return r == 0 ? 0 : 1;
}

struct Measure {
  bool ok = false;
  double cpu = 0.0;   // the whole process, seconds
  double run = 0.0;   // what the process printed (our request alone)
  double peak = 0.0;  // MiB
  double wave = 0.0;  // the file's size, MiB
};

// Runs argv as a child process; its CPU time, peak memory and first output
// line, and the size of wave, which is removed afterwards.
Measure RunProcess(const std::vector<std::string>& argv, const fs::path& wave) {
  Measure m;
  int out[2];
  if (pipe(out) != 0) return m;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  std::string printed;
  char chunk[256];
  for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) printed.append(chunk, n);
  close(out[0]);
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return m;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  m.cpu = CpuSeconds(usage);
  m.peak = static_cast<double>(usage.ru_maxrss) / 1024.0;
  m.run = std::atof(printed.c_str());
  std::error_code ec;
  m.wave = static_cast<double>(fs::file_size(wave, ec)) / kMiB;
  if (ec) m.ok = false;
  fs::remove(wave, ec);
  return m;
}

// The best of rounds runs (least CPU).
Measure Best(const std::vector<std::string>& argv, const fs::path& wave, int rounds) {
  Measure best;
  for (int i = 0; i < rounds; ++i) {
    const Measure m = RunProcess(argv, wave);
    if (!m.ok) return m;
    if (!best.ok || m.cpu < best.cpu) best = m;
  }
  return best;
}

bool PeerInstalled() { return std::system("command -v espeak-ng >/dev/null 2>&1") == 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == kChildOption) return EngineProcess(argv[2], argv[3]);
  std::vector<std::size_t> lengths;
  for (int i = 1; i < argc; ++i) lengths.push_back(std::strtoul(argv[i], nullptr, 10));
  if (lengths.empty()) lengths.assign(std::begin(kDefaultLengths), std::end(kDefaultLengths));

  const fs::path root = bench::TemporaryInstallation("bench_speech");
  if (root.empty()) return 1;
  // The default font opens a sound device when it is selected: SDL's dummy
  // driver stands in for a sound card unless a driver is named.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // Reports of either program land here.
  fs::current_path(root);
  const bool peer = PeerInstalled();
  const std::string self = fs::read_symlink("/proc/self/exe").string();

  std::printf(
      "Greek text to a WAVE file: ours = tmengine_TextToFile with the default voice font, peer = "
      "espeak-ng -v el -w%s.\nCPU = user + system seconds of the whole process; run = our "
      "request alone; peak = maximum resident memory.\n\n",
      peer ? "" : " (not installed: apt-get install espeak-ng)");
  std::printf("%9s %9s %9s %7s %9s %9s %9s %9s %9s %9s %9s\n", "chars", "ours CPU", "peer CPU",
              "ratio", "us/ch run", "us/ch all", "peer us/c", "ours MB", "WAVE MB", "limit MB",
              "peer MB");
  int status = 0;
  bool ratioMet = true;
  bool memoryMet = true;
  double lowest = 0.0;
  double highest = 0.0;
  for (const std::size_t length : lengths) {
    const fs::path text = root / ("text" + std::to_string(length) + ".txt");
    std::ofstream(text, std::ios::binary) << bench::GreekText(length);
    const fs::path wave = root / "out.wav";
    const int rounds = Rounds(length);
    const Measure ours = Best({self, kChildOption, text.string(), wave.string()}, wave, rounds);
    Measure theirs;
    if (peer) {
      theirs =
          Best({"espeak-ng", "-v", "el", "-w", wave.string(), "-f", text.string()}, wave, rounds);
    }
    fs::remove(text);
    if (!ours.ok) {
      std::printf("%9zu: the engine failed\n", length);
      status = 1;
      continue;
    }
    const double chars = static_cast<double>(length);
    const double perChar = ours.run / chars * 1e6;
    const double limit = 2.0 * ours.wave + kMemorySlackMiB;
    const double ratio = theirs.ok && theirs.cpu > 0.0 ? ours.cpu / theirs.cpu : 0.0;
    std::printf("%9zu %9.3f %9.3f %7.2f %9.2f %9.2f %9.2f %9.1f %9.1f %9.1f %9.1f\n", length,
                ours.cpu, theirs.cpu, ratio, perChar, ours.cpu / chars * 1e6,
                theirs.cpu / chars * 1e6, ours.peak, ours.wave, limit, theirs.peak);
    if (theirs.ok && length >= kRatioFrom && ratio > kMaxRatio) ratioMet = false;
    if (ours.peak > limit) memoryMet = false;
    lowest = lowest == 0.0 ? perChar : std::min(lowest, perChar);
    highest = std::max(highest, perChar);
  }
  std::printf("\nours at most %.2f of the peer's CPU from %zu characters on: %s\n", kMaxRatio,
              kRatioFrom, peer ? (ratioMet ? "yes" : "NO") : "no peer");
  const double spread = lowest > 0.0 ? highest / lowest - 1.0 : 0.0;
  std::printf("cost per character (run) flat within %.0f %%: %s (spread %.1f %%)\n",
              kMaxSpread * 100.0, spread <= kMaxSpread ? "yes" : "NO", spread * 100.0);
  std::printf("peak memory within 2 x WAVE + %.0f MB: %s\n", kMemorySlackMiB,
              memoryMet ? "yes" : "NO");
  fs::remove_all(root);
  return status;
}
