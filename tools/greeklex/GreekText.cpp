#include "tools/greeklex/GreekText.h"

#include <cstring>

namespace greeklex {
namespace {

// Windows-1253 bytes of the letters this file names.
constexpr unsigned char kAlphaTonos = 0xDC;    // ά
constexpr unsigned char kIotaDiaTonos = 0xC0;  // ΐ
constexpr unsigned char kUpsDiaTonos = 0xE0;   // ΰ
constexpr unsigned char kAlpha = 0xE1;
constexpr unsigned char kEpsilon = 0xE5;
constexpr unsigned char kEta = 0xE7;
constexpr unsigned char kIota = 0xE9;
constexpr unsigned char kOmicron = 0xEF;
constexpr unsigned char kFinalSigma = 0xF2;
constexpr unsigned char kSigma = 0xF3;
constexpr unsigned char kUpsilon = 0xF5;
constexpr unsigned char kOmega = 0xF9;
constexpr unsigned char kIotaDia = 0xFA;     // ϊ
constexpr unsigned char kUpsilonDia = 0xFB;  // ϋ
constexpr unsigned char kOmicronTonos = 0xFC;
constexpr unsigned char kOmegaTonos = 0xFE;

unsigned char At(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Vowels that may follow a glide: α ε η ο ω, accented or not.
bool FollowsGlide(unsigned char c) {
  return c == kAlpha || c == kEpsilon || c == kEta || c == kOmicron || c == kOmega ||
         c == kAlphaTonos || c == 0xDD || c == 0xDE || c == kOmicronTonos || c == kOmegaTonos;
}

}  // namespace

std::string Lower(const std::string& word) {
  std::string out = word;
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    unsigned char l = c;
    if (c >= 'A' && c <= 'Z') {
      l = static_cast<unsigned char>(c + 32);
    } else if (c >= 0xC1 && c <= 0xD9 && c != 0xD2) {
      l = static_cast<unsigned char>(c + 0x20);
    } else if (c == 0xA2) {
      l = kAlphaTonos;
    } else if (c >= 0xB8 && c <= 0xBA) {
      l = static_cast<unsigned char>(c + 0x25);  // Έ Ή Ί -> έ ή ί
    } else if (c == 0xBC) {
      l = kOmicronTonos;
    } else if (c == 0xBE || c == 0xBF) {
      l = static_cast<unsigned char>(c + 0x3F);  // Ύ Ώ -> ύ ώ
    } else if (c == 0xDA || c == 0xDB) {
      l = static_cast<unsigned char>(c + 0x20);  // Ϊ Ϋ -> ϊ ϋ
    }
    ch = static_cast<char>(l);
  }
  if (!out.empty() && At(out, out.size() - 1) == kSigma)
    out.back() = static_cast<char>(kFinalSigma);
  return out;
}

std::string StripAccents(const std::string& word) {
  // ά έ ή ί (0xDC..0xDF) -> α ε η ι; ό ύ ώ (0xFC..0xFE) -> ο υ ω; ΐ ΰ -> ϊ ϋ.
  static const unsigned char kPlainOf[4] = {kAlpha, kEpsilon, kEta, kIota};
  static const unsigned char kPlainOfLate[3] = {kOmicron, kUpsilon, kOmega};
  std::string out = word;
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= kAlphaTonos && c <= 0xDF) ch = static_cast<char>(kPlainOf[c - kAlphaTonos]);
    if (c >= kOmicronTonos && c <= kOmegaTonos) {
      ch = static_cast<char>(kPlainOfLate[c - kOmicronTonos]);
    }
    if (c == kIotaDiaTonos) ch = static_cast<char>(kIotaDia);
    if (c == kUpsDiaTonos) ch = static_cast<char>(kUpsilonDia);
  }
  return out;
}

bool IsVowel(unsigned char c) {
  return c == kAlpha || c == kEpsilon || c == kEta || c == kIota || c == kOmicron ||
         c == kUpsilon || c == kOmega || (c >= kAlphaTonos && c <= 0xDF) ||
         (c >= kIotaDia && c <= kOmegaTonos) || c == kIotaDiaTonos || c == kUpsDiaTonos;
}

bool IsConsonant(unsigned char c) { return c >= kAlpha && c <= kOmega && !IsVowel(c) && c != 0xD2; }

bool HasAccent(const std::string& word) { return StripAccents(word) != word; }

std::vector<GlidePlace> GlidePlaces(const std::string& word) {
  std::vector<GlidePlace> places;
  for (std::size_t i = 1; i + 1 < word.size(); ++i) {
    if (!IsConsonant(At(word, i - 1))) continue;
    const unsigned char c = At(word, i);
    std::size_t length = 0;
    if (c == kIota || c == kUpsilon) {
      length = 1;
    } else if ((c == kEpsilon || c == kOmicron) && At(word, i + 1) == kIota) {
      length = 2;
    }
    if (length == 0 || i + length >= word.size()) continue;
    if (FollowsGlide(At(word, i + length))) places.push_back({i, length});
  }
  return places;
}

std::string KeepHiatus(const std::string& word, const GlidePlace& place) {
  const char vowel = static_cast<char>(
      At(word, place.start + place.length - 1) == kUpsilon ? kUpsilonDia : kIotaDia);
  return word.substr(0, place.start) + vowel + word.substr(place.start + place.length);
}

}  // namespace greeklex
