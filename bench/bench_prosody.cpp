// The layer, duration and intonation modules on a generated phone string of
// 100 kB: once in one pass, once chopped into passes of about 1,000
// characters (cut after a sentence end), as a text feeder with chopping
// would run them. Prints characters per second for both and their ratio:
// the layers' lookups are binary searches, so one long pass must not be
// slower per character than many short ones by more than a small factor.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/composer/VCharacterPool.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VMLDS.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_dur_filter.h"
#include "modules/vm_dur_tristate.h"
#include "modules/vm_dur_wrd.h"
#include "modules/vm_int_58.h"
#include "modules/vm_int_syl.h"
#include "modules/vm_phrasation.h"
#include "modules/vm_sentencation.h"
#include "modules/vm_smoothf0.h"
#include "modules/vm_syllablation_formal.h"
#include "modules/vm_wordation.h"
#include "platform/Registry.h"
#include "tests/common/FakeComposer.h"
#include "tests/modules/GreekTestPhones.h"
#include "tools/scramble/DataFileWriter.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTextSize = 100 * 1024;
constexpr std::size_t kPassSize = 1000;

void Write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

bool WriteRecords(const fs::path& path, const std::vector<std::string>& lines, int size) {
  fs::create_directories(path.parent_path());
  std::string error;
  if (scramble::WriteDataFile(path.string(), lines, size, error)) return true;
  std::printf("%s: %s\n", path.c_str(), error.c_str());
  return false;
}

// A template for every combination of points in one collection.
std::vector<std::string> Templates() {
  static const char* kNames[] = {"H", "S1", "T1", "S2", "T2", "S3", "T3", "T"};
  std::vector<std::string> lines = {"; generated", "%stop"};
  for (int mask = 1; mask < 256; ++mask) {
    std::string header = "#";
    std::vector<std::string> elements;
    for (int p = 0; p < 8; ++p) {
      if ((mask & (128 >> p)) == 0) continue;
      header += (header.size() > 1 ? " " : "") + std::string(kNames[p]);
      elements.push_back(std::string(kNames[p]) +
                         "\t1.05\t0.98\tvowel:1\t0.5\t1\t0.97\tvowel:1\t0.5");
    }
    lines.push_back(header);
    lines.insert(lines.end(), elements.begin(), elements.end());
  }
  lines.push_back("%");
  return lines;
}

bool MakeInstallation(const fs::path& dir) {
  Write(dir / "config.txt",
        "Lexicon.Directory=lexicon\nLexicon.Suffix=.lex\nLexicon.EForm=no\n"
        "3States.Directory=tristate\n3States.Suffix=.3st\n"
        "V58Compiler.Directory=v58\nV58Compiler.Suffix=.v58\n");
  Write(dir / "lexicon/words.lex", "ke\tconjunction\nta\tfunction\n");
  Write(dir / "fonts/bench.vof",
        "TIMEQUANTUM=10\nDuration reference=90\nIntonation reference=120\n"
        "VModuleChain.Modules=VM_LayerSyllable;VM_LayerWord;VM_LayerPhrase;VM_LayerSentence;"
        "VM_DurationTriState;VM_DurationWord;VM_DurationFilter;VM_IntonationV58;"
        "VM_IntonationSyllable;VM_SmoothF0\n"
        "VM_LayerWord.Lexicon=words.lex\nVM_DurationTristate.Compiler=rules.3st\n"
        "VM_IntonationV58.Compiler=templates.v58\n"
        "VM_DurationWord.EndingCharge1=1.3\nVM_DurationWord.EndingCharge2=1.05\n"
        "VM_DurationWord.StopCharge=1.2\nVM_DurationWord.CommaCharge=1.1\n"
        "VM_DurationWord.QuestionCharge=1.15\n"
        "VM_IntonationSyllable.x0=0\nVM_IntonationSyllable.x1=0.3\n"
        "VM_IntonationSyllable.x2=0.7\nVM_IntonationSyllable.x3=1\n"
        "VM_IntonationSyllable.y0=1\nVM_IntonationSyllable.y1=1.08\n"
        "VM_IntonationSyllable.y2=1.08\nVM_IntonationSyllable.y3=1\n"
        "VM_SmoothF0.GapThreshold=0.04\n");
  return WriteRecords(dir / "tristate/rules.3st",
                      {"[*][stressed:1][break:1]:0.16", "[*][vowel:1][break:1]:0.13",
                       "[*][stressed:1][*]:0.12", "[vowel:1][voiced:1][vowel:1]:0.09"},
                      120) &&
         WriteRecords(dir / "v58/templates.v58", Templates(), 400);
}

// Words of one to four syllables, one stressed, between pauses; phrases of
// up to eight words closed by a comma, stop, question or exclamation; now
// and then the conjunction "ke".
std::string PhoneString(std::size_t size) {
  static const std::string kOnsets = "ptkbdgfvszxmnlr";
  static const std::string kVowels = "aeiou";
  static const std::string kStressed = "AEIOU";
  static const std::string kBreaks = ",,..;!";
  std::mt19937 random(20240607);
  auto pick = [&random](const std::string& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  std::uniform_int_distribution<int> syllables(1, 4);
  std::uniform_int_distribution<int> words(1, 8);
  std::string text;
  while (text.size() < size) {
    for (int w = words(random); w > 0; --w) {
      if (random() % 10 == 0) text += "ke_";
      const int n = syllables(random);
      const int stress = static_cast<int>(random() % static_cast<unsigned>(n));
      for (int s = 0; s < n; ++s) {
        text += pick(kOnsets);
        text += s == stress ? pick(kStressed) : pick(kVowels);
      }
      if (random() % 4 == 0) text += pick("sn");
      text += w > 1 ? "_" : "";
    }
    text += pick(kBreaks);
    text += "_";
  }
  return text;
}

class Bed {
 public:
  explicit Bed(const fs::path& dir) {
    AddGreekTestPhones(shared_.GetPhonePool());
    shared_.GetConfiguration()->Load((dir / "config.txt").string());
    shared_.Get3States()->Load(&shared_);
    shared_.GetV58Compiler()->Load(&shared_);
    shared_.GetTreeLexicon()->Load(&shared_);
    composer_.shared = &shared_;
    composer_.mlds = &mlds_;
    composer_.duration = &duration_;
    composer_.intonation = &intonation_;
    composer_.onReset = [this] {
      duration_.Reset();
      intonation_.Reset();
    };
    mlds_.SetComposer(&composer_);
    duration_.SetComposer(&composer_);
    intonation_.SetComposer(&composer_);
    for (VModule* m :
         std::vector<VModule*>{&syllables_, &words_, &phrases_, &sentences_, &triState_,
                               &wordDurations_, &filter_, &v58_, &contours_, &smooth_}) {
      composer_.directory.AddModule(m);
    }
    font_.Load((dir / "fonts/bench.vof").string());
    font_.SetComposer(&composer_);
    pool_.SetComposer(&composer_);
    pool_.BuildChain(&font_);
    composer_.character = &font_;
    font_.GetChain()->SetUpAll();
  }
  ~Bed() { mlds_.Clear(); }
  Bed(const Bed&) = delete;
  Bed& operator=(const Bed&) = delete;

  // Runs the chain on the phone string; gives the number of F0 cells made.
  int Run(const std::string& phones) {
    composer_.text.SetText(phones);
    font_.GetChain()->Run(nullptr);
    return intonation_.GetCellCount();
  }

 private:
  TMShared shared_;
  VMLDS mlds_;
  VDuration duration_;
  VIntonation intonation_;
  testing_support::FakeComposer composer_;
  VM_LayerSyllable syllables_;
  VM_LayerWord words_;
  VM_LayerPhrase phrases_;
  VM_LayerSentence sentences_;
  VM_DurationTriState triState_;
  VM_DurationWord wordDurations_;
  VM_DurationFilter filter_;
  VM_IntonationV58 v58_;
  VM_IntonationSyllable contours_;
  VM_SmoothF0 smooth_;
  VCharacterPool pool_;
  VCharacter font_;
};

// The text cut into passes of about kPassSize characters, each ending
// after a sentence end.
std::vector<std::string> Passes(const std::string& text) {
  std::vector<std::string> passes;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(".;!", std::min(start + kPassSize, text.size()));
    end = end == std::string::npos ? text.size() : end + 1;
    passes.push_back(text.substr(start, end - start));
    start = end;
  }
  return passes;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
  char pattern[] = "/tmp/bench_prosody.XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) return 1;
  const fs::path root = made;
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  const fs::path dir = root / "install";
  if (!MakeInstallation(dir)) return 1;
  platform::RegistrySetValue("Software\\Quenmoor\\ZORVALIS", "path", dir.string());

  const std::string text = PhoneString(kTextSize);
  const std::vector<std::string> passes = Passes(text);
  double rates[2] = {0, 0};
  {
    Bed bed(dir);
    const auto start = Clock::now();
    const int cells = bed.Run(text);
    const double s = Seconds(Clock::now() - start);
    rates[0] = static_cast<double>(text.size()) / s;
    std::printf("one pass of %zu characters: %.1f ms, %.0f characters per second (%d F0 cells)\n",
                text.size(), s * 1000.0, rates[0], cells);
  }
  {
    Bed bed(dir);
    const auto start = Clock::now();
    long cells = 0;
    for (const std::string& pass : passes) cells += bed.Run(pass);
    const double s = Seconds(Clock::now() - start);
    rates[1] = static_cast<double>(text.size()) / s;
    std::printf("%zu passes of about %zu: %.1f ms, %.0f characters per second (%ld F0 cells)\n",
                passes.size(), kPassSize, s * 1000.0, rates[1], cells);
  }
  std::printf("chopped / one pass: %.2f\n", rates[1] / rates[0]);
  fs::remove_all(root);
  return 0;
}
