// The layer, duration and intonation modules on a generated phone string of
// 100 kB, through the programming interface with a voice font that chains
// only them: once in one pass, once chopped into passes of about 1,000
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

#include "bench/BenchData.h"
#include "engine/interface/tmengine.h"
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

// The Greek phone symbols; the blank (which the engine appends before the
// closing full stop) is a pause.
std::vector<std::string> PhoneTable() {
  std::vector<std::string> records = {"symbol\tphone\tvowel\tstressed\tvoiced\tbreak\ttristate"};
  for (const std::string row : {"aeiou 110101", "AEIOU 111101", "ptkfTsxc 100000",
                                "bdgvDzGjmnlr 100100", "_# 000000", "/,.;! 000010"}) {
    const std::size_t blank = row.find(' ');
    for (std::size_t c = 0; c < blank; ++c) {
      std::string record(1, row[c]);
      for (std::size_t i = blank + 1; i < row.size(); ++i) record += std::string("\t") + row[i];
      records.push_back(record);
    }
  }
  records.push_back(" \t0\t0\t0\t0\t0\t0");
  return records;
}

bool MakeInstallation(const fs::path& dir) {
  Write(dir / "config.txt",
        "AC.Directory=rules\nAC.Suffix=.rul\nLexicon.Directory=lexicon\nLexicon.Suffix=.lex\n"
        "Lexicon.EForm=no\nPhones.Filename=phones/bench.phn\n"
        "3States.Directory=tristate\n3States.Suffix=.3st\n"
        "V58Compiler.Directory=v58\nV58Compiler.Suffix=.v58\n"
        "User.Lexicon.Directory=user\nUser.Lexicon.Suffix=.usr\n"
        "VoiceFonts.Directory=fonts\nVoiceFonts.Suffix=.vof\nDefault.VoiceFont=bench.vof\n"
        "Logger.Directory=logs\nLogger.Preffix=log_\nLogger.ErrorPreffix=err_\n"
        "Logger.Suffix=.html\n");
  for (const char* folder : {"rules", "user", "logs"}) fs::create_directories(dir / folder);
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
        "VM_SmoothF0.GapThreshold=0.04\nSpeechBuffer.SampleRate=22050\n"
        "SpeechBuffer.InitAllocation=16\n");
  return WriteRecords(dir / "phones/bench.phn", PhoneTable(), 500) &&
         WriteRecords(dir / "tristate/rules.3st",
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

// Speaks the phone string into a buffer (the chain runs on it, plus " .").
bool Speak(Tamrin* engine, const std::string& phones) {
  char* buffer = nullptr;
  long size = 0;
  const bool ok = tmengine__TextToBuffer(engine, phones.c_str(), 0, &buffer, &size) == 0;
  tmengine__FreeBuffer(&buffer);
  return ok;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
  char pattern[] = "/tmp/bench_prosody.XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) return 1;
  const fs::path root = made;
  const fs::path dir = root / "install";
  if (!MakeInstallation(dir)) return 1;
  bench::RegisterInstallation(root, dir);

  const std::string text = PhoneString(kTextSize);
  const std::vector<std::string> passes = Passes(text);
  Tamrin* engine = nullptr;
  if (tmengine__LoadSharedResources() != 0 || tmengine__New(&engine) != 0) {
    std::printf("the bench installation does not load\n");
    return 1;
  }
  auto start = Clock::now();
  Speak(engine, text);
  double s = Seconds(Clock::now() - start);
  const double onePass = static_cast<double>(text.size()) / s;
  std::printf("one pass of %zu characters: %.1f ms, %.0f characters per second\n", text.size(),
              s * 1000.0, onePass);
  start = Clock::now();
  for (const std::string& pass : passes) Speak(engine, pass);
  s = Seconds(Clock::now() - start);
  const double chopped = static_cast<double>(text.size()) / s;
  std::printf("%zu passes of about %zu: %.1f ms, %.0f characters per second\n", passes.size(),
              kPassSize, s * 1000.0, chopped);
  std::printf("chopped / one pass: %.2f\n", chopped / onePass);
  tmengine__Delete(&engine);
  tmengine__ReleaseSharedResources();
  fs::remove_all(root);
  return 0;
}
