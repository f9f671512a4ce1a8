// The English voice through the installation built from the build tree's
// data: the load time of the whole installation's shared resources (the
// English lexicon among them; the least of five loads) and the speed of a
// text of everyday English through the English voice font to a WAVE
// buffer (characters per second and real-time factor).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchData.h"
#include "engine/interface/tmengine.h"
#include "engine/shared/TMShared.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kLoads = 5;
constexpr std::size_t kTextCharacters = 10000;
constexpr int kWaveHeader = 44;
constexpr double kRate = 22050.0;

constexpr const char* kParagraphs[] = {
    "Good morning! The weather in Boston will be sunny today, with a high of 75 degrees. ",
    "Mr. Smith and his daughter went to the market to buy bread, milk and fresh fruit, but "
    "they forgot their wallet at home. ",
    "The train to New York leaves at 10:30 from platform 2; tickets cost $45 each. ",
    "How long have you lived in California? About three years, and I really like it here. ",
    "In 2023 the company had 1,250 employees and earned 3.5 million dollars. ",
};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main() {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const fs::path root = bench::TemporaryInstallation("bench_english");
  if (root.empty()) return 1;

  double best = 1e9;
  for (int i = 0; i < kLoads; ++i) {
    TMShared shared;
    const auto start = Clock::now();
    const int code = shared.Load();
    best = std::min(best, Milliseconds(Clock::now() - start));
    shared.Unload();
    if (code != 0) {
      std::printf("load failed: %d\n", code);
      return 1;
    }
  }
  std::printf("shared resources of the installation: %.1f ms (least of %d loads)\n", best, kLoads);

  std::string text;
  for (std::size_t i = 0; text.size() < kTextCharacters; ++i) {
    text += kParagraphs[i % (sizeof kParagraphs / sizeof kParagraphs[0])];
  }
  Tamrin* engine = nullptr;
  if (tmengine__LoadSharedResources() != 0 || tmengine__New(&engine) != 0 ||
      tmengine__SelectVoiceFont(engine, "english.vof") != 0) {
    std::printf("no English voice font\n");
    return 1;
  }
  char* buffer = nullptr;
  long size = 0;
  const auto start = Clock::now();
  const int code = tmengine__TextToBuffer(engine, text.c_str(), 1, &buffer, &size);
  const double ms = Milliseconds(Clock::now() - start);
  tmengine__FreeBuffer(&buffer);
  const double speechMs = (size - kWaveHeader) / 2.0 / kRate * 1000.0;
  std::printf(
      "%zu characters of English to speech: %.0f ms (%.0f characters per second), %.1f s of "
      "speech, real-time factor %.4f (code %d)\n",
      text.size(), ms, text.size() / ms * 1000.0, speechMs / 1000.0, ms / speechMs, code);
  tmengine__Delete(&engine);
  tmengine__ReleaseSharedResources();
  fs::remove_all(root);
  return 0;
}
