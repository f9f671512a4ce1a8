// The English pronunciations of the CMU pronouncing dictionary (ARPAbet
// phones) in the engine's phone symbols (Windows-1253 bytes, one per phone).
#pragma once

#include <string>
#include <vector>

namespace englex {

// One ARPAbet phone with its stress: 1 primary, 0 none (also for
// consonants); a secondary stress (2) counts as none.
struct ArpaPhone {
  std::string name;
  int stress = 0;
};

using Pronunciation = std::vector<ArpaPhone>;

// Whether name is one of the fifteen ARPAbet vowels (AA AE AH AO AW AY EH ER
// EY IH IY OW OY UH UW).
bool IsArpaVowel(const std::string& name);

// Whether name is an ARPAbet phone (a vowel or one of the 24 consonants).
bool IsArpaPhone(const std::string& name);

// The phones of a dictionary line's pronunciation: names separated by
// blanks, each vowel optionally followed by its stress digit ("AH0",
// "EY1"). False, with reason set, for an unknown phone or a digit other
// than 0, 1 or 2, or a digit after a consonant.
bool ParsePronunciation(const std::string& text, Pronunciation& out, std::string& reason);

// The phone string of a pronunciation in the engine's symbols: a stressed
// vowel as its stressed symbol, a diphthong as its nucleus and a glide
// (EY "e y", OW "o w", AY "a y", AW "a w", OY "ω y"), AH as [ʌ] stressed and
// [ə] unstressed, ER as [ɝ] and [ɚ]. /t/ and /d/ become the flap [ɾ] after a
// vowel or /ɹ/ and before an unstressed vowel, except before an unstressed
// [ən] ("button", "important").
std::string ToPhoneString(const Pronunciation& phones);

}  // namespace englex
