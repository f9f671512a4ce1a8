// Time from tmengine__TextToSpeech to the first sample reaching the sound
// card with the default voice font ("cplayback"), for a one-sentence text
// and for the first pass of a 10,000-character text. The sound card is the
// virtual device set on a real-time clock; the installation is assembled
// from the build tree in a temporary folder.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/BenchData.h"
#include "engine/interface/tmengine.h"
#include "platform/waveout/VirtualWaveOut.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// config.txt, the build tree's data, the voices and the two libraries.
fs::path Assemble() {
  const fs::path root =
      fs::temp_directory_path() / ("tm_bench_playback_" + std::to_string(::getpid()));
  const fs::path dir = root / "install";
  bench::AssembleInstallation(dir);
  fs::copy_file(TM_MBRPLAY_LIBRARY, dir / "bin/mbrplay.so");
  bench::RegisterInstallation(root, dir);
  fs::current_path(root);
  return root;
}

// Milliseconds from the call to the first sample of its first block.
double FirstSample(const platform::VirtualWaveOut& devices, Tamrin* engine,
                   const std::string& text) {
  const std::size_t before = devices.Blocks().size();
  const auto start = Clock::now();
  tmengine__TextToSpeech(engine, text.c_str(), 0);
  while (devices.Blocks().size() == before) std::this_thread::yield();
  const double ms =
      std::chrono::duration<double, std::milli>(devices.Blocks()[before].writtenAt - start).count();
  tmengine__Stop(engine);
  tmengine__TextToSpeech(engine, "", 1);  // waits for the run to end
  return ms;
}

}  // namespace

int main() {
  const fs::path assembled = Assemble();
  platform::VirtualWaveOut devices;  // also for the device that set-up opens
  if (tmengine__LoadSharedResources() != 0) {
    std::fprintf(stderr, "cannot load the shared resources\n");
    return 1;
  }
  Tamrin* engine = nullptr;
  if (tmengine__New(&engine) != 0) return 1;

  const std::string sentence = "Καλημέρα σας, τι κάνετε;";
  // 10,000 characters (UTF-8 bytes that do not continue a character).
  std::string long_text;
  std::size_t characters = 0;
  while (characters < 10000) {
    for (const char c : std::string("Καλημέρα σας και καλό ξημέρωμα. ")) {
      if (characters == 10000 && (c & 0xC0) != 0x80) break;
      long_text += c;
      characters += (c & 0xC0) != 0x80;
    }
  }

  double best = 1e9;
  for (int i = 0; i < 10; ++i) best = std::min(best, FirstSample(devices, engine, sentence));
  std::printf("first sample, one sentence: %.2f ms (best of 10; target < 20)\n", best);
  std::printf("first sample, first pass of a %zu-character text: %.2f ms\n", characters,
              FirstSample(devices, engine, long_text));

  tmengine__Delete(&engine);
  tmengine__ReleaseSharedResources();
  fs::remove_all(assembled);
  return 0;
}
