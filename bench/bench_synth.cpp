// Synthesis speed of the formant synthesizer: seconds of audio per CPU
// second for a generated 60-second Greek-like phone text, driven as the
// engine drives the library (line, "\n", drain in blocks of 4096 when a
// line is refused, flush, drain). When espeak-ng is installed, the same
// figure for it on an equivalent Greek text, for comparison.
//
// Usage: bench_synth [voice file]  (default: data/voices/gr.voice of the sources)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/mbrola/SynthChannel.h"

namespace {

struct Unit {
  const char* phone;
  const char* greek;  // the letters that spell it (UTF-8)
};
constexpr Unit kVowels[] = {{"a", "α"}, {"e", "ε"}, {"i", "ι"}, {"o", "ο"}, {"u", "ου"}};
constexpr Unit kConsonants[] = {{"p", "π"},  {"t", "τ"}, {"k", "κ"}, {"b", "μπ"}, {"d", "ντ"},
                                {"g", "γκ"}, {"f", "φ"}, {"T", "θ"}, {"s", "σ"},  {"x", "χ"},
                                {"v", "β"},  {"D", "δ"}, {"z", "ζ"}, {"G", "γ"},  {"m", "μ"},
                                {"n", "ν"},  {"l", "λ"}, {"r", "ρ"}, {"j", "γι"}, {"c", "κι"}};

// About 60 s of phone text in the engine's shape, and the same syllables
// as Greek letters.
void MakeText(double seconds, std::string& pho, std::string& greek, double& totalMs) {
  std::mt19937 random(1234);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  pho = "_ 60 (0,120)\n";
  totalMs = 60.0;
  int syllable = 0;
  double f0 = 130.0;
  while (totalMs < seconds * 1000.0 - 200.0) {
    const Unit& c = kConsonants[pick(20)];
    const Unit& v = kVowels[pick(5)];
    const int cms = 50 + pick(40);
    const int vms = 70 + pick(60);
    char line[128];
    std::snprintf(line, sizeof line, "%s %d (0,%.0f) (50,%.0f) (100,%.0f)\n", c.phone, cms, f0,
                  f0 - 1, f0 - 2);
    pho += line;
    f0 -= 2.0;
    std::snprintf(line, sizeof line, "%s %d (0,%.0f) (50,%.0f) (100,%.0f)\n", v.phone, vms, f0,
                  f0 + (syllable % 3 == 0 ? 12 : -1), f0 - 2);
    pho += line;
    f0 -= 2.0;
    totalMs += cms + vms;
    greek += c.greek;
    greek += v.greek;
    if (++syllable % 3 == 0) greek += ' ';
    if (syllable % 12 == 0) {
      pho += "_ 180\n";
      totalMs += 180;
      greek += ". ";
      f0 = 130.0;
    }
  }
  pho += "_ 60";
  totalMs += 60.0;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// One run of the engine's loop; returns the sample count.
long Synthesize(formant::SynthChannel& channel, const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  for (std::size_t lf; (lf = text.find('\n', pos)) != std::string::npos; pos = lf + 1) {
    lines.push_back(text.substr(pos, lf - pos));
  }
  lines.push_back(text.substr(pos));
  int16_t block[4096];
  long samples = 0;
  auto drain = [&] {
    int n = 0;
    while ((n = channel.Read(block, 4096)) > 0) samples += n;
  };
  for (std::size_t i = 0; i < lines.size();) {
    if (channel.Write(lines[i].c_str()) > 0) {
      channel.Write("\n");
      ++i;
    } else {
      drain();
    }
  }
  channel.Flush();
  drain();
  return samples;
}

bool OnPath(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

void CompareWithEspeak(const std::string& greek) {
  if (!OnPath("espeak-ng")) {
    std::printf("espeak-ng: not installed\n");
    return;
  }
  const char* wave = "/tmp/x.wav";
  const double before = ChildCpuSeconds();
  const pid_t pid = fork();
  if (pid == 0) {
    execlp("espeak-ng", "espeak-ng", "-v", "el", "-w", wave, greek.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    std::printf("espeak-ng: failed to run\n");
    return;
  }
  const double cpu = ChildCpuSeconds() - before;
  std::ifstream in(wave, std::ios::binary | std::ios::ate);
  const long bytes = static_cast<long>(in.tellg());
  in.seekg(24);
  uint32_t rate = 0;
  in.read(reinterpret_cast<char*>(&rate), 4);
  const double audio = rate > 0 && bytes > 44 ? (bytes - 44) / 2.0 / rate : 0.0;
  std::printf("espeak-ng: %.1f s of audio in %.3f s CPU: %.0f x real time\n", audio, cpu,
              cpu > 0 ? audio / cpu : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string source = __FILE__;
  std::string voice = source.substr(0, source.rfind('/')) + "/../data/voices/gr.voice";
  if (argc > 1) voice = argv[1];

  std::string pho, greek;
  double totalMs = 0.0;
  MakeText(60.0, pho, greek, totalMs);

  formant::SynthChannel channel;
  if (channel.Init(voice.c_str(), nullptr, nullptr) != 0) {
    char text[400];
    channel.LastErrorText(text, sizeof text);
    std::fprintf(stderr, "bench_synth: %s\n", text);
    return 1;
  }
  const int rate = channel.Freq();
  Synthesize(channel, pho);  // warm-up
  double best = 1e9;
  long samples = 0;
  constexpr int kRuns = 5;
  for (int run = 0; run < kRuns; ++run) {
    channel.Reset();
    const double start = CpuSeconds();
    samples = Synthesize(channel, pho);
    best = std::min(best, CpuSeconds() - start);
  }
  const double audio = static_cast<double>(samples) / rate;
  std::printf("phone text: %zu bytes, %.3f s (%ld samples at %d Hz, expected %.1f)\n", pho.size(),
              audio, samples, rate, totalMs * rate / 1000.0);
  std::printf("synth: %.1f s of audio in %.4f s CPU (best of %d): %.0f x real time\n", audio, best,
              kRuns, audio / best);
  CompareWithEspeak(greek);
  return 0;
}
