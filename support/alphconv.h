// Letter-conversion rules: a CRule is one context-sensitive rewrite rule of a
// binary rule file, a CRuleCollection the ordered rules of one file, which
// converts a text letter by letter.
//
// Texts are runs of 8-bit characters of a single-byte code page; every
// comparison is a byte comparison.
#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "support/cdebugtracer.h"
#include "support/errorHandler.h"

// One entry of the backtracking stack of the context matcher. A new state
// holds -1 in its four numbers and no position (-1; a pushed state always
// holds a position inside the text).
struct CRuleMatchState {
  int32_t element = -1;          // element number, from 1
  std::ptrdiff_t position = -1;  // index of the character taken by this repetition
  int32_t repetition = -1;       // repetition number of the element, from 1
  int32_t minimum = -1;
  int32_t maximum = -1;
};

// The Before or After context of a rule: three parallel lists; entry i of
// each list describes element i + 1.
//  - operators: "=" (the character must be in the set), "!=" (it must not
//    be); any other text accepts every character.
//  - repetitions: "n" or "min-max".
//  - characterSets: the characters of the element; the two characters
//    backslash and '0' ("\0") mark the text boundary and are ordinary
//    members as well.
struct CRuleContext {
  std::vector<std::string> operators;
  std::vector<std::string> repetitions;
  std::vector<std::string> characterSets;

  // The number of elements: the length of the list of character sets.
  std::size_t size() const { return characterSets.size(); }
  bool empty() const { return characterSets.empty(); }
};

class CRule final : public CInterface {
 public:
  enum class Side { Before, After };

  CRule();
  // Copies every field: both contexts, Translation, Enabled, Main Char,
  // Chars Translated, Counter, the tracer's settings and the last error.
  CRule(const CRule& other);
  CRule& operator=(const CRule& other);
  ~CRule() = default;

  // 0: the rule, 1: its errorHandler, 2: its tracer; others (and a null
  // out) give false.
  bool queryInterface(int id, void** out) override;

  // Reads one rule record. On a failed read the rule's error holds one of
  // the codes 805 to 813 and the result is false.
  bool loadFromStream(std::istream& in);

  // Whether the rule applies at position. first is the first character of
  // the text (the limit of the Before context), last the last character
  // that is converted (the limit of the After context); position lies
  // between them; a zero byte at last is the terminating zero counted in,
  // which the After context meets as the end of the text. The Main Char is
  // not compared here.
  bool matches(const char* first, const char* last, const char* position) const;

  // Matches one context, walking leftwards (Before) or rightwards (After)
  // from position. Backtracking that runs long goes on remembering the
  // configurations that have failed, so its cost stays polynomial in the
  // number of elements and the length of the text.
  bool matchSide(Side side, const char* position, const char* first, const char* last) const;

  // Reads a repetition: "n" gives n to n (the empty text gives 0 to 0);
  // "min-max" is valid when 0 <= min, 1 <= max and min <= max. Leading white
  // space and a '+' sign are accepted before each number; a negative number
  // or one beyond the signed 32-bit range makes the repetition invalid.
  static bool parseRepetition(const std::string& text, int32_t& minimum, int32_t& maximum);

  // Adds one to the usage Counter (atomically; the counter wraps).
  void countUse() const;

  uint8_t enabled() const { return enabled_; }  // 0: the rule never matches
  unsigned char mainChar() const { return mainChar_; }
  const CRuleContext& before() const { return before_; }
  const CRuleContext& after() const { return after_; }
  const std::string& translation() const { return translation_; }
  uint8_t charsTranslated() const { return charsTranslated_; }
  int32_t counter() const;
  const CDebugTracer& tracer() const { return tracer_; }
  const errorHandler& error() const { return error_; }

 private:
  // A context element prepared for matching when the rule is loaded.
  struct Element {
    enum Kind : uint8_t { kAcceptAll, kInSet, kNotInSet };
    Kind kind = kAcceptAll;
    bool repetitionValid = false;
    bool boundaryMarker = false;  // operator "=", repetition "1", set holding "\0"
    int32_t minimum = 0;
    int32_t maximum = 0;
    std::bitset<256> members;
  };

  class ContextWalk;

  static std::vector<Element> prepare(const CRuleContext& context);
  void prepareContexts();
  bool readContext(std::istream& in, CRuleContext& context, bool before);
  bool fail(int code, const std::string& text);

  uint8_t enabled_ = 0;
  unsigned char mainChar_ = ' ';
  CRuleContext before_;
  CRuleContext after_;
  std::string translation_;
  uint8_t charsTranslated_ = 0;
  mutable std::atomic<uint32_t> counter_{0};
  CDebugTracer tracer_;
  errorHandler error_;

  std::vector<Element> beforeElements_;
  std::vector<Element> afterElements_;
};

class CRuleCollection final : public CInterface {
 public:
  // reserve: room for that many rules; flag: kept, never read;
  // outputUnknown: copy characters that no rule translates (replaced by the
  // file's value at load).
  CRuleCollection(int reserve, int flag, int outputUnknown);
  ~CRuleCollection() = default;
  CRuleCollection(const CRuleCollection&) = delete;
  CRuleCollection& operator=(const CRuleCollection&) = delete;

  // 0: the collection, 1: its errorHandler, 2: its tracer; others (and a
  // null out) give false.
  bool queryInterface(int id, void** out) override;

  // Loads the rule file at path (800 when it cannot be opened or is a
  // directory).
  bool loadFromFile(const std::string& path);
  // Reads the header and the rule records up to the end of the stream.
  // Errors 801 to 804. The rules must stand in ascending order of Main Char
  // (the rule compiler writes them so); they are not sorted here.
  bool loadFromStream(std::istream& in);

  // Converts the first count characters of text (any negative count: the
  // whole text up to its terminating zero). A count beyond the text
  // converts the terminating zero too, as a count of the length plus one
  // does. length is not needed (the output grows as
  // needed) and is ignored. The result is zero-terminated and lies in the
  // collection's own buffer: it stays valid until the next call of convert
  // on this collection. Not thread-safe: use convertToString when the
  // collection may be used by several threads.
  const char* convert(const char* text, int length, int count);

  // The same conversion, returning its result by value. It uses no state of
  // the collection besides the rules (whose usage counters are atomic), so
  // any number of threads may call it at once on a loaded collection.
  // count has the meaning of convert's, counted over text.size().
  std::string convertToString(const std::string& text, int count = -1) const;

  // Where a conversion stands between two rule applications: the position
  // in the text and the size of the output made before it.
  struct Step {
    std::size_t position = 0;
    std::size_t output = 0;
  };

  // Resumes a conversion of the first count characters of text (the
  // Before contexts see text from its first character) at from, whose
  // output up to from.output out holds; out is cut there and the rest is
  // appended, so that out ends as convertToString would make it. Of the
  // text only its first stable characters are final (a text that grows at
  // its end). The result is the last step whose rule, and every rule after
  // it, reads only final characters: a conversion of the grown text may be
  // resumed there. Thread-safe as convertToString is.
  Step convertFrom(const char* text, std::size_t count, std::size_t stable, Step from,
                   std::string& out) const;

  // How many characters after its Main Char a rule reads at most: the
  // After context's longest match, or the characters it consumes.
  std::size_t afterReach() const { return afterReach_; }

  // The longest Translation (-1 without rules) and, in index, the first rule
  // of that length (-1 without rules). The value is also kept in the
  // longest-translation field; every load recomputes it.
  int getMaxTranslationLength(int& index);

  const std::vector<CRule>& rules() const { return rules_; }
  const std::array<char, 50>& logicalFont() const { return logicalFont_; }
  uint8_t fontPresent() const { return fontPresent_; }
  bool flag() const { return flag_; }
  bool outputUnknown() const { return outputUnknown_; }
  int32_t longestTranslation() const { return longestTranslation_; }
  bool countUsage() const { return countUsage_; }
  const CDebugTracer& tracer() const { return tracer_; }
  const errorHandler& error() const { return error_; }

 private:
  // Index of the first rule whose Main Char is c, or -1: a binary search
  // over the rules, then a step back to the start of the run.
  std::ptrdiff_t findFirstRule(unsigned char c) const;
  // Fills firstRule_ with the search result of every byte value.
  void indexRules();
  // The conversion loop over the first count characters of text, starting
  // at from, appending to out; with a stable count, the last step that needs
  // no character from there on (from when there is none).
  Step convertRange(const char* text, std::size_t count, std::string& out, Step from,
                    std::size_t stable) const;
  bool endLoad(bool result);

  std::vector<CRule> rules_;
  std::array<char, 50> logicalFont_{};
  uint8_t fontPresent_ = 0;
  bool flag_;
  bool outputUnknown_;
  int32_t longestTranslation_ = -1;
  // Switched off from construction; mutable because conversions (const
  // ones too) write their trace lines through it.
  mutable CDebugTracer tracer_;
  errorHandler error_;
  std::string output_;
  bool countUsage_ = true;

  // The result of findFirstRule for each byte value, computed at every load
  // so that conversions need not search again.
  std::array<int32_t, 256> firstRule_;
  std::size_t afterReach_ = 0;
};
