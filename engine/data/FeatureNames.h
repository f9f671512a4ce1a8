// The names that modules exchange through the multi-layer data structure and
// the phone table: the four layers, the features of their tokens with their
// values, and the phone features that modules ask for. Modules name them only
// through these constants, so that a misspelt name fails to compile instead
// of silently finding nothing at run time.
#pragma once

// The layers of VMLDS, with the number of spare tokens each is made with.
namespace layers {
constexpr const char* kSentence = "Sentence";
constexpr const char* kPhrase = "Phrase";
constexpr const char* kWord = "Word";
constexpr const char* kSyllable = "Syllable";

constexpr int kSentenceHint = 5;
constexpr int kPhraseHint = 30;
constexpr int kWordHint = 150;
constexpr int kSyllableHint = 200;
}  // namespace layers

// Features of tokens and their values.
namespace features {
// "type" of a "Phrase" token ("stop", "comma", "question", "exclamation") and
// of a "Sentence" token (the same without "comma").
constexpr const char* kType = "type";
constexpr const char* kStop = "stop";
constexpr const char* kComma = "comma";
constexpr const char* kQuestion = "question";
constexpr const char* kExclamation = "exclamation";

// "phrase" of a "Word" token ("start", "fin") and of a "Syllable" token
// ("firstStress", "preLastStress", "lastStress").
constexpr const char* kPhrase = "phrase";
constexpr const char* kStart = "start";
constexpr const char* kFin = "fin";
constexpr const char* kFirstStress = "firstStress";
constexpr const char* kPreLastStress = "preLastStress";
constexpr const char* kLastStress = "lastStress";

// "word" of a "Syllable" token: "start", "fin".
constexpr const char* kWord = "word";
// "stressed" of a "Syllable" token: "1".
constexpr const char* kStressed = "stressed";
// "grammar" of a "Word" token: the value of the grammar lexicons.
constexpr const char* kGrammar = "grammar";
// The lexicon tag of a "Word" token that the phrase layer asks for.
constexpr const char* kConjunction = "conjunction";

// The value of a feature that is simply on.
constexpr const char* kOn = "1";
}  // namespace features

// Features of the phone table (columns of data/phones/greek.phn.src); each
// is on when its value is "1".
namespace phone_features {
constexpr const char* kPhone = "phone";
constexpr const char* kVowel = "vowel";
constexpr const char* kStressed = "stressed";
constexpr const char* kVoiced = "voiced";
constexpr const char* kBreak = "break";
constexpr const char* kTristate = "tristate";
}  // namespace phone_features

// Pairs of a name, a colon and a value that modules look for anywhere in a
// token's features (a substring test, so a later pair of the same name is
// found too).
namespace feature_pairs {
constexpr const char* kPhraseFin = "phrase:fin";
constexpr const char* kFirstStress = "phrase:firstStress";
constexpr const char* kPreLastStress = "phrase:preLastStress";
constexpr const char* kLastStress = "phrase:lastStress";
}  // namespace feature_pairs
