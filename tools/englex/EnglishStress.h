// The primary stress of an English word whose pronunciation comes without
// stress marks (Debian's copy of the CMU pronouncing dictionary has none):
// placed from the spelling and the vowels of the pronunciation.
#pragma once

#include <string>

#include "tools/englex/EnglishPhones.h"

namespace englex {

// The index, among the vowels of phones, of the vowel that carries the
// word's primary stress; -1 when phones has no vowel. word is the spelling
// in lower case.
//
// In order: compounds with a stressed first part (somebody, Sunday,
// Washington) and with a stressed last part (himself, however); endings
// stressed themselves (-ee, -eer, -ese, -ette, -ique, -oon); then, after
// taking off the endings that leave the stress where it is (-s, -ed, -ing,
// -er, -ly, -ness, -ment, -able, -al, -ous, -ive, -y, ...), the endings that
// fix it (-tion and the other -i- and -u- endings, -ic, -ity, -ify, -ology,
// -ate, -ize, -ary/-ory); else a weak prefix (a-, be-, con-, de-, ex-, re-,
// ...) with a reduced vowel passes the stress on to the rest, and the rest
// takes the stress of a Latin-like rule: one syllable stressed; of two, the
// first unless it is [ʌ/ə] before a full vowel; of more, the second to last
// when it is heavy (a tense vowel closed by a consonant, or two consonants
// after it), else the one before it.
int StressedVowel(const std::string& word, const Pronunciation& phones);

// The pronunciation with its stress set: the vowel StressedVowel names
// carries stress 1, every other vowel 0.
Pronunciation WithStress(const std::string& word, Pronunciation phones);

}  // namespace englex
