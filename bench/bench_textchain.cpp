// Speed of the text modules: about 100 kB of Greek text (Windows-1253)
// through the front of the default voice font's chain: the feeder's
// normalisation, the user-lexicon word replacer (a lexicon of 500 words), the
// plain filter, the phonemizer and the phone filter. Two figures: speech to a
// buffer (VM_FeederPre converts the whole text in one step) and speech to
// the sound card (VM_TextFeeder chops the text into passes of 300
// characters and runs the rest of the chain once per pass). Synthesis is
// not part of the chain measured. The same figures for the text with every
// sentence end written as an ellipsis ("... "), which converts to a comma:
// the feeder then meets a full stop and a blank without a sentence end all
// the way, and its passes must still cost time in proportion to the text.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchData.h"
#include "engine/composer/Tamrin.h"
#include "engine/shared/TMShared.h"
#include "platform/Codepage.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTextBytes = 100 * 1024;
constexpr int kRounds = 5;

void Write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// The installation: the build tree's data, a user lexicon and the font of
// the measured chain (its other keys come from "default.vof").
void MakeInstallation(const fs::path& dir) {
  bench::AssembleInstallation(dir);
  std::string lexicon;
  for (int i = 0; i < 500; ++i) {
    lexicon += platform::Utf8ToCp1253("λέξη" + std::to_string(i) + "=λέξη νούμερο ") +
               std::to_string(i) + "\n";
  }
  lexicon += platform::Utf8ToCp1253("σήμερα=σήμερα\nβιβλίο=βιβλίο\n");
  Write(dir / "user" / "bench.usr", lexicon);
  Write(dir / "voicefonts" / "bench.vof",
        "VModuleChain.Modules=VM_TextFeeder;VM_FeederPre;VM_UserToGreek;VM_FilterPlain;"
        "VM_Phonemizer;VM_InFilter\nPlayback.Method=none\nVM_User_ToGreek.Lexicon=bench.usr\n");
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
  char pattern[] = "/tmp/bench_textchain.XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) return 1;
  const fs::path root = made;
  const fs::path dir = root / "install";
  MakeInstallation(dir);
  bench::RegisterInstallation(root, dir);

  const std::string ordinary = platform::Utf8ToCp1253(bench::GreekText(kTextBytes));
  std::string ellipses;
  for (std::size_t i = 0; i < ordinary.size(); ++i) {
    ellipses += ordinary[i];
    if (ordinary.compare(i, 2, ". ") == 0) ellipses += "..";
  }

  int status = 0;
  {
    TMShared shared;
    Tamrin engine;
    engine.SetShared(&shared);
    if (shared.Load() != 0 || engine.Init("bench.vof", 1, 0) != 0) {
      std::printf("the installation does not load\n");
      status = 1;
    } else {
      struct Path {
        const char* name;
        bool chopped;
      };
      struct Text {
        const char* name;
        const std::string& text;
      };
      for (const Text& text : {Text{"sentences", ordinary}, Text{"ellipses", ellipses}}) {
        for (const Path path :
             {Path{"to a buffer, whole", false}, Path{"to the sound card, chopped", true}}) {
          double best = 0.0;
          for (int round = 0; round < kRounds; ++round) {
            const auto start = Clock::now();
            if (path.chopped) {
              engine.Speak(text.text, true);
            } else {
              engine.SpeakToBuffer(text.text, false, nullptr, nullptr);
            }
            const double s = Seconds(Clock::now() - start);
            if (best == 0.0 || s < best) best = s;
          }
          std::printf("%s %s: %zu characters in %.1f ms: %.2f million characters per second\n",
                      text.name, path.name, text.text.size(), best * 1000.0,
                      static_cast<double>(text.text.size()) / best / 1e6);
        }
      }
      std::printf("last phone string: %d phones\n", engine.GetText()->GetLength());
    }
    engine.Finalize();
    shared.Unload();
  }
  fs::remove_all(root);
  return status;
}
