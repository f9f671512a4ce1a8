#include "tools/englex/EnglishPhones.h"

#include <cstddef>
#include <sstream>

#include "platform/Codepage.h"

namespace englex {

namespace {

// An ARPAbet phone and its symbols (UTF-8 as in the phone-table source):
// unstressed, then stressed (the same for a consonant).
struct PhoneSymbols {
  const char* arpa;
  const char* plain;
  const char* stressed;
};

constexpr PhoneSymbols kVowels[] = {
    {"AA", "α", "ά"},   {"AE", "η", "ή"},   {"AH", "@", "V"}, {"AO", "ω", "ώ"},
    {"AW", "aw", "Aw"}, {"AY", "ay", "Ay"}, {"EH", "ε", "έ"}, {"ER", "ρ", "3"},
    {"EY", "ey", "Ey"}, {"IH", "ι", "ί"},   {"IY", "i", "I"}, {"OW", "ow", "Ow"},
    {"OY", "ωy", "ώy"}, {"UH", "υ", "ύ"},   {"UW", "u", "U"},
};

constexpr PhoneSymbols kConsonants[] = {
    {"B", "b", "b"}, {"CH", "τ", "τ"}, {"D", "d", "d"},  {"DH", "D", "D"}, {"F", "f", "f"},
    {"G", "g", "g"}, {"HH", "h", "h"}, {"JH", "δ", "δ"}, {"K", "k", "k"},  {"L", "l", "l"},
    {"M", "m", "m"}, {"N", "n", "n"},  {"NG", "N", "N"}, {"P", "p", "p"},  {"R", "R", "R"},
    {"S", "s", "s"}, {"SH", "σ", "σ"}, {"T", "t", "t"},  {"TH", "T", "T"}, {"V", "v", "v"},
    {"W", "w", "w"}, {"Y", "y", "y"},  {"Z", "z", "z"},  {"ZH", "ζ", "ζ"},
};

// The American flap [ɾ], the Greek tap.
constexpr char kFlap = 'r';

const PhoneSymbols* Find(const std::string& name) {
  for (const PhoneSymbols& p : kVowels) {
    if (name == p.arpa) return &p;
  }
  for (const PhoneSymbols& p : kConsonants) {
    if (name == p.arpa) return &p;
  }
  return nullptr;
}

bool IsFlapContext(const Pronunciation& phones, std::size_t i) {
  if (i == 0 || i + 1 >= phones.size()) return false;
  const ArpaPhone& before = phones[i - 1];
  const ArpaPhone& after = phones[i + 1];
  if (!IsArpaVowel(before.name) && before.name != "R") return false;
  if (!IsArpaVowel(after.name) || after.stress == 1) return false;
  // "button", "important": an unstressed [ən] after it keeps the stop.
  const bool syllabicN = after.name == "AH" && i + 2 < phones.size() && phones[i + 2].name == "N";
  return !syllabicN;
}

}  // namespace

bool IsArpaVowel(const std::string& name) {
  for (const PhoneSymbols& p : kVowels) {
    if (name == p.arpa) return true;
  }
  return false;
}

bool IsArpaPhone(const std::string& name) { return Find(name) != nullptr; }

bool ParsePronunciation(const std::string& text, Pronunciation& out, std::string& reason) {
  out.clear();
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    ArpaPhone phone;
    const char last = token.back();
    if (last >= '0' && last <= '9') {
      if (last > '2') {
        reason = "stress digit " + token;
        return false;
      }
      phone.stress = last == '1' ? 1 : 0;
      token.pop_back();
      if (!IsArpaVowel(token)) {
        reason = "stress digit after a consonant: " + token;
        return false;
      }
    }
    if (!IsArpaPhone(token)) {
      reason = "unknown phone " + token;
      return false;
    }
    phone.name = token;
    out.push_back(phone);
  }
  return true;
}

std::string ToPhoneString(const Pronunciation& phones) {
  std::string utf8;
  for (std::size_t i = 0; i < phones.size(); ++i) {
    const ArpaPhone& p = phones[i];
    if ((p.name == "T" || p.name == "D") && IsFlapContext(phones, i)) {
      utf8 += kFlap;
      continue;
    }
    const PhoneSymbols* symbols = Find(p.name);
    if (symbols != nullptr) utf8 += p.stress == 1 ? symbols->stressed : symbols->plain;
  }
  return platform::Utf8ToCp1253(utf8);
}

}  // namespace englex
