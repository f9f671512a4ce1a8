// Greek letters in Windows-1253: lower case, accents, the glide places of
// synizesis. Shared by the lexicon builder and the hunspell reader.
#pragma once

#include <string>
#include <vector>

namespace greeklex {

// Lower case keeping accents and dialytika (Ά -> ά, Ϊ -> ϊ, A -> a); a sigma
// at the end becomes ς.
std::string Lower(const std::string& word);
// The word without its accents; dialytika stay (ά -> α, ΐ -> ϊ).
std::string StripAccents(const std::string& word);
// Whether the byte is a Greek vowel letter (accented or not).
bool IsVowel(unsigned char c);
// Whether the byte is a Greek consonant letter.
bool IsConsonant(unsigned char c);
// Whether the word holds an accented vowel.
bool HasAccent(const std::string& word);

// A place where the letters would be read as a glide (synizesis): an
// unaccented ι, ει, οι or υ after a consonant and before a vowel. start is
// the index of the glide's first letter, length 1 or 2.
struct GlidePlace {
  std::size_t start;
  std::size_t length;
};
std::vector<GlidePlace> GlidePlaces(const std::string& word);
// The word with the glide place read as a vowel of its own: ι, ει, οι
// become ϊ, υ becomes ϋ.
std::string KeepHiatus(const std::string& word, const GlidePlace& place);

}  // namespace greeklex
