// Loading of the shared resources and lexicon lookups: a generated
// installation of realistic size (a 50,000-word tree lexicon, plain and
// scrambled, 4 rule collections, the phone table, a tri-state rule file and
// a 2,000-word user lexicon) is loaded by TMShared, then the lexicon answers
// lookups of every word and of as many missing words.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchData.h"
#include "engine/shared/TMShared.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void Write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string Digits(size_t n) {
  std::string d = std::to_string(n);
  return std::string(6 - d.size(), '0') + d;
}

// One scrambled record of size bytes holding text and its zero byte.
std::string Record(const std::string& text, size_t size) {
  static const char kKey[] = "KEW RINDLE";
  std::string payload = text + '\0';
  unsigned sum = 0;
  for (const char c : payload) sum += static_cast<unsigned char>(c);
  std::string plain = Digits(payload.size() + 1) + payload + static_cast<char>(sum & 0xFF);
  plain.resize((plain.size() + 9) / 10 * 10, '\0');
  std::string record = Digits(plain.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    record.push_back(static_cast<char>(static_cast<unsigned char>(plain[i]) +
                                       static_cast<unsigned char>(kKey[i % 10])));
  }
  record.resize(size, '\0');
  return record;
}

std::string Scrambled(const std::vector<std::string>& texts, size_t size) {
  std::string data;
  for (const std::string& t : texts) data += Record(t, size);
  return data;
}

// A rule file of context-free rules, one per letter: the letter to the
// translation given.
std::string RuleFile(const std::vector<std::pair<char, std::string>>& rules) {
  std::string out;
  out.push_back('\0');  // no font block
  out.push_back('\1');  // copy unknown characters
  for (const auto& rule : rules) {
    out.push_back('\1');
    out.push_back(rule.first);
    out.append(4, '\0');  // empty Before and After contexts
    out += rule.second;
    out.push_back('\0');
    out.push_back('\1');
    out.append(4, '\0');
  }
  return out;
}

std::vector<std::string> Words(size_t count, std::mt19937& random) {
  static const std::string kLetters = "aeiouptkbdgfvszxmnlrjc";
  std::uniform_int_distribution<size_t> length(2, 12);
  std::uniform_int_distribution<size_t> letter(0, kLetters.size() - 1);
  std::vector<std::string> words;
  for (size_t i = 0; i < count; ++i) {
    std::string w;
    for (size_t n = length(random); n > 0; --n) w.push_back(kLetters[letter(random)]);
    words.push_back(w + std::to_string(i % 97));
  }
  return words;
}

void MakeInstallation(const fs::path& dir, const std::vector<std::string>& words, bool scrambled) {
  Write(dir / "config.txt",
        "AC.Directory=rules\nAC.Suffix=.rul\nLexicon.Directory=lexicon\nLexicon.Suffix=.lex\n"
        "Lexicon.EForm=" +
            std::string(scrambled ? "yes" : "no") +
            "\nPhones.Filename=phones/greek.phn\n3States.Directory=tristate\n3States.Suffix=.3st\n"
            "V58Compiler.Directory=v58\nV58Compiler.Suffix=.v58\n"
            "User.Lexicon.Directory=user\nUser.Lexicon.Suffix=.usr\n");
  fs::create_directories(dir / "v58");
  std::vector<std::string> entries;
  std::string plain;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string entry = words[i] + "\t" + words[(i * 31) % words.size()];
    entries.push_back(entry);
    plain += entry + "\n";
  }
  Write(dir / "lexicon/words.lex", scrambled ? Scrambled(entries, 120) : plain);
  for (int r = 0; r < 4; ++r) {
    std::vector<std::pair<char, std::string>> rules;
    for (char c = 'a'; c <= 'z'; ++c) rules.emplace_back(c, std::string(1, c - 'a' + 'A'));
    Write(dir / ("rules/r" + std::to_string(r) + ".rul"), RuleFile(rules));
  }
  std::vector<std::string> phones = {"symbol\tphone\tvowel\tstressed\tbreak\t"};
  for (const char c : std::string("aeiouAEIOUptkbdgfvTDszxGmnlrjc_#/,.;!")) {
    const bool vowel = std::string("aeiouAEIOU").find(c) != std::string::npos;
    phones.push_back(std::string(1, c) + "\t1\t" + (vowel ? "1" : "0") + "\t" +
                     (c >= 'A' && c <= 'U' && vowel ? "1" : "0") + "\t0\t");
  }
  Write(dir / "phones/greek.phn", Scrambled(phones, 500));
  std::vector<std::string> rules;
  for (int i = 0; i < 40; ++i)
    rules.push_back("[*][vowel:1][stressed:" + std::to_string(i) + "]:0.1");
  Write(dir / "tristate/durations.3st", Scrambled(rules, 120));
  std::string user;
  for (size_t i = 0; i < 2000; ++i) user += words[i] + "=" + words[i + 1] + "\n";
  Write(dir / "user/names.usr", user);
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main() {
  char pattern[] = "/tmp/bench_shared.XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) return 1;
  const fs::path root = made;

  std::mt19937 random(20240601);
  const std::vector<std::string> words = Words(50000, random);
  std::vector<std::string> missing = Words(50000, random);
  for (std::string& w : missing) w += "#";

  for (const bool scrambled : {false, true}) {
    const fs::path dir = root / (scrambled ? "scrambled" : "plain");
    MakeInstallation(dir, words, scrambled);
    bench::RegisterInstallation(root, dir);

    TMShared shared;
    const auto start = Clock::now();
    const int code = shared.Load();
    const double loadMs = Milliseconds(Clock::now() - start);
    const LexTree* lexicon = shared.GetTreeLexicon()->Find("words.lex");
    if (code != 0 || lexicon == nullptr) {
      std::printf("load failed: %d\n", code);
      return 1;
    }
    std::printf("%s installation: TMShared::Load %.1f ms (lexicon of %zu words, %zu nodes)\n",
                scrambled ? "scrambled" : "plain", loadMs, words.size(), lexicon->NodeCount());

    const int rounds = 10;
    size_t found = 0;
    std::string value;
    const auto lookStart = Clock::now();
    for (int r = 0; r < rounds; ++r) {
      for (const std::string& w : words) found += lexicon->Lookup(w, &value) == 1 ? 1 : 0;
      for (const std::string& w : missing) found += lexicon->Lookup(w, &value) == 1 ? 1 : 0;
    }
    const double lookMs = Milliseconds(Clock::now() - lookStart);
    const double lookups = 2.0 * rounds * static_cast<double>(words.size());
    std::printf("  %.0f lookups in %.1f ms: %.2f million lookups per second (%zu found)\n", lookups,
                lookMs, lookups / lookMs / 1000.0, found);
    shared.Unload();
  }
  fs::remove_all(root);
  return 0;
}
