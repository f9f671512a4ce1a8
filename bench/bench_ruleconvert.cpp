// Conversion speed of a rule collection: a 200-rule collection over about
// 1 MB of Greek text in Windows-1253, converted several times; then the
// matcher's worst case, a rule whose After context has eight range elements,
// tried at every character of a 1,000-character text.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/alphconv.h"

namespace {

struct Element {
  std::string op;
  std::string repetition;
  std::string set;
};

struct Rule {
  unsigned char mainChar;
  std::vector<Element> before;
  std::vector<Element> after;
  std::string translation;
  uint8_t charsTranslated;
};

void PutString(std::string& out, const std::string& text) {
  out += text;
  out.push_back('\0');
}

void PutContext(std::string& out, const std::vector<Element>& elements) {
  out.push_back(static_cast<char>(elements.size() & 0xFF));
  out.push_back(static_cast<char>((elements.size() >> 8) & 0xFF));
  for (const Element& e : elements) PutString(out, e.op);
  for (const Element& e : elements) PutString(out, e.repetition);
  for (const Element& e : elements) PutString(out, e.set);
}

// The rule file: no font block, unknown characters copied, then the records.
std::string RuleFile(const std::vector<Rule>& rules) {
  std::string out;
  out.push_back('\0');
  out.push_back('\1');
  for (const Rule& rule : rules) {
    out.push_back('\1');
    out.push_back(static_cast<char>(rule.mainChar));
    PutContext(out, rule.before);
    PutContext(out, rule.after);
    PutString(out, rule.translation);
    out.push_back(static_cast<char>(rule.charsTranslated));
    out.append(4, '\0');
  }
  return out;
}

// Greek letters of Windows-1253: 0xC1 to 0xF9 without the unused 0xD2.
std::vector<unsigned char> GreekLetters() {
  std::vector<unsigned char> letters;
  for (int c = 0xC1; c <= 0xF9; ++c) {
    if (c != 0xD2) letters.push_back(static_cast<unsigned char>(c));
  }
  return letters;
}

// 200 rules in ascending Main Char order: per letter a few context rules
// (word start, before a vowel, a two-letter rule, a word end), then the
// letter's plain rule.
std::vector<Rule> MakeRules() {
  const std::string vowels = "\xE1\xE5\xE7\xE9\xEF\xF5\xF9\xC1\xC5\xC7\xC9\xCF\xD5\xD9";
  const std::string blanks = " ,.;!";
  const std::vector<unsigned char> letters = GreekLetters();
  std::vector<Rule> rules;
  const std::size_t target = 200;
  for (std::size_t i = 0; i < letters.size(); ++i) {
    const unsigned char c = letters[i];
    const std::string name = "L" + std::to_string(c);
    const std::size_t remaining = target - rules.size();
    const std::size_t lettersLeft = letters.size() - i;
    const std::size_t here = remaining / lettersLeft;  // rules for this letter
    std::vector<Rule> run;
    run.push_back({c, {{"=", "1", "\\0" + blanks}}, {}, "#" + name, 1});
    run.push_back({c, {}, {{"=", "1", vowels}}, name + "v", 1});
    run.push_back({c, {}, {{"=", "1", std::string(1, static_cast<char>(c))}}, name + name, 2});
    run.push_back(
        {c, {{"!=", "1-2", blanks}}, {{"=", "0-1", blanks}, {"=", "1", "\\0"}}, name + "$", 1});
    while (run.size() + 1 > here && run.size() > 0) run.pop_back();
    for (Rule& rule : run) rules.push_back(rule);
    rules.push_back({c, {}, {}, name, 1});
  }
  return rules;
}

std::string MakeText(std::size_t size) {
  const std::vector<unsigned char> letters = GreekLetters();
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
  std::uniform_int_distribution<int> wordLength(1, 10);
  std::uniform_int_distribution<int> punctuation(0, 9);
  std::string text;
  text.reserve(size + 16);
  while (text.size() < size) {
    const int length = wordLength(random);
    for (int i = 0; i < length; ++i) text.push_back(static_cast<char>(letters[letter(random)]));
    const int p = punctuation(random);
    if (p == 0) text.push_back(',');
    if (p == 1) text.push_back('.');
    text.push_back(' ');
  }
  return text;
}

// Loads rules into collection; false, with the error printed, on failure.
bool Load(CRuleCollection& collection, const std::vector<Rule>& rules) {
  std::istringstream in(RuleFile(rules), std::ios::in | std::ios::binary);
  if (collection.loadFromStream(in)) return true;
  std::fprintf(stderr, "load failed: %s\n", collection.error().getErrorTextRef().c_str());
  return false;
}

// Eight elements of 1 to 1000 a's, then a b that never comes: every way of
// sharing the a's among the eight elements fails.
int RangeWorstCase() {
  const int kElements = 8;
  const std::size_t kText = 1000;
  Rule rule{'a', {}, {}, "A", 1};
  for (int i = 0; i < kElements; ++i) rule.after.push_back({"=", "1-1000", "a"});
  rule.after.push_back({"=", "1", "b"});
  CRuleCollection collection(400, 1, 1);
  if (!Load(collection, {rule})) return 1;
  const std::string text = std::string(kText - 1, 'a') + "c";
  double best = 0.0;
  for (int round = 0; round < 3; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const std::string out = collection.convertToString(text);
    const auto end = std::chrono::steady_clock::now();
    if (out != text) {
      std::fprintf(stderr, "the worst-case rule matched\n");
      return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    if (round == 0 || ms < best) best = ms;
  }
  std::printf("%d range elements, %zu characters: %8.2f ms per conversion\n", kElements, kText,
              best);
  return 0;
}

}  // namespace

int main() {
  CRuleCollection collection(400, 1, 1);
  if (!Load(collection, MakeRules())) return 1;
  const std::string text = MakeText(1 << 20);
  std::printf("rules: %zu, text: %zu bytes\n", collection.rules().size(), text.size());

  const int kRounds = 5;
  const double megabytes = static_cast<double>(text.size()) / (1024.0 * 1024.0);
  std::size_t outputSize = 0;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const char* out = collection.convert(text.c_str(), static_cast<int>(text.size()) + 1, -1);
    const auto end = std::chrono::steady_clock::now();
    outputSize = std::string(out).size();
    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("convert          round %d: %8.2f MB/s\n", round + 1, megabytes / seconds);
  }
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const std::string out = collection.convertToString(text);
    const auto end = std::chrono::steady_clock::now();
    if (out.size() != outputSize) {
      std::fprintf(stderr, "convertToString differs from convert\n");
      return 1;
    }
    const double seconds = std::chrono::duration<double>(end - start).count();
    std::printf("convertToString  round %d: %8.2f MB/s\n", round + 1, megabytes / seconds);
  }
  std::printf("output: %zu bytes\n", outputSize);
  return RangeWorstCase();
}
