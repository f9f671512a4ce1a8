// The names that the modules share through the multi-layer data structure
// and the phone table: the layers, the features written on tokens with
// their fixed values, and the phone-table columns that modules ask about.
// Every module spells them through these constants, so that a typo is a
// compile error and not a feature that nobody reads.
#pragma once

// The layers of the multi-layer data structure.
namespace layer {
constexpr const char* kSentence = "Sentence";
constexpr const char* kPhrase = "Phrase";
constexpr const char* kWord = "Word";
constexpr const char* kSyllable = "Syllable";
}  // namespace layer

// Features of tokens.
namespace feature {
constexpr const char* kStressed = "stressed";  // on syllables: "1"
constexpr const char* kWord = "word";          // on syllables: kStart, kFin
constexpr const char* kPhrase = "phrase";      // on words: kStart, kFin; on syllables: the stresses
constexpr const char* kType = "type";          // on phrases and sentences: the phrase types
constexpr const char* kGrammar = "grammar";    // on words: the grammar lexicons' entry
}  // namespace feature

// Values of those features.
namespace value {
constexpr const char* kOne = "1";
constexpr const char* kStart = "start";
constexpr const char* kFin = "fin";
constexpr const char* kStop = "stop";
constexpr const char* kComma = "comma";
constexpr const char* kQuestion = "question";
constexpr const char* kExclamation = "exclamation";
constexpr const char* kFirstStress = "firstStress";
constexpr const char* kPreLastStress = "preLastStress";
constexpr const char* kLastStress = "lastStress";
}  // namespace value

// Texts searched for anywhere in a token's features (a substring test).
namespace marks {
constexpr const char* kPhraseFin = "phrase:fin";
constexpr const char* kFirstStress = "phrase:firstStress";
constexpr const char* kPreLastStress = "phrase:preLastStress";
constexpr const char* kLastStress = "phrase:lastStress";
// A word whose lexicon tag holds this text starts a phrase.
constexpr const char* kConjunction = "conjunction";
}  // namespace marks

// Columns of the phone table that the engine asks about (true when "1").
namespace phone {
constexpr const char* kPhone = "phone";
constexpr const char* kVowel = "vowel";
constexpr const char* kStressed = "stressed";
constexpr const char* kVoiced = "voiced";
constexpr const char* kBreak = "break";
constexpr const char* kTriState = "tristate";
}  // namespace phone
