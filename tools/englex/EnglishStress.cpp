#include "tools/englex/EnglishStress.h"

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <vector>

namespace englex {

namespace {

// An ending that leaves the stress where the word without it has it: its
// spelling, and the phone tails it may have (phone names separated by
// blanks).
struct NeutralEnding {
  const char* spelling;
  std::vector<const char*> tails;
};

const std::vector<NeutralEnding>& NeutralEndings() {
  static const std::vector<NeutralEnding> kEndings = {
      {"'s", {"S", "Z", "IH Z", "AH Z"}},
      {"s'", {"S", "Z", "IH Z", "AH Z"}},
      {"es", {"IH Z", "AH Z", "Z", "S"}},
      {"s", {"S", "Z"}},
      {"ed", {"IH D", "AH D", "D", "T"}},
      {"ings", {"IH NG Z"}},
      {"ing", {"IH NG", "IH N"}},
      {"ers", {"ER Z"}},
      {"er", {"ER"}},
      {"est", {"AH S T", "IH S T"}},
      {"fully", {"F AH L IY", "F L IY"}},
      {"ally", {"AH L IY", "L IY"}},
      {"ly", {"L IY"}},
      {"ness", {"N AH S", "N IH S", "N EH S"}},
      {"less", {"L AH S", "L IH S", "L EH S"}},
      {"ful", {"F AH L", "F UH L"}},
      {"ments", {"M AH N T S", "M EH N T S", "M IH N T S"}},
      {"ment", {"M AH N T", "M EH N T", "M IH N T"}},
      {"ably", {"AH B L IY"}},
      {"able", {"AH B AH L"}},
      {"ibly", {"AH B L IY", "IH B L IY"}},
      {"ible", {"AH B AH L", "IH B AH L"}},
      {"ism", {"IH Z AH M"}},
      {"ists", {"AH S T S", "IH S T S"}},
      {"ist", {"AH S T", "IH S T"}},
      {"ous", {"AH S"}},
      {"ive", {"IH V"}},
      {"al", {"AH L"}},
      {"ish", {"IH SH"}},
      {"ship", {"SH IH P"}},
      {"hood", {"HH UH D"}},
      {"dom", {"D AH M"}},
      {"wise", {"W AY Z"}},
      {"like", {"L AY K"}},
      {"wards", {"W ER D Z"}},
      {"ward", {"W ER D"}},
      {"y", {"IY"}},
      // The second parts of names and compounds.
      {"ton", {"T AH N"}},
      {"son", {"S AH N"}},
      {"ham", {"AH M", "HH AE M", "HH AH M"}},
      {"ford", {"F ER D"}},
      {"field", {"F IY L D"}},
      {"land", {"L AH N D", "L AE N D"}},
      {"ville", {"V IH L"}},
      {"burg", {"B ER G"}},
      {"berg", {"B ER G"}},
      {"wood", {"W UH D"}},
      {"worth", {"W ER TH"}},
      {"man", {"M AH N", "M AE N"}},
      {"men", {"M AH N", "M EH N"}},
  };
  return kEndings;
}

// Endings of a compound whose first part takes the stress (somebody,
// everything, anywhere, Sunday, sometimes).
constexpr const char* kStressedFirstParts[] = {"some", "any", "every", "no"};
constexpr const char* kUnstressedSecondParts[] = {"body",  "thing", "one",  "where", "time",
                                                  "times", "way",   "ways", "how"};
constexpr const char* kDayEndings[] = {"day", "days"};
// Endings stressed themselves when the word has more than one syllable.
constexpr const char* kStressedEndings[] = {
    "self", "selves", "ee",  "ees",  "eer",  "eers", "ese", "ette", "ettes", "esque",
    "ique", "iques",  "oon", "oons", "aire", "oo",   "oos", "teen", "teens"};
// Words in -ever stressed on its first vowel (however, whatever).
constexpr const char* kEverFirstParts[] = {"what", "how",  "when",  "where",
                                           "who",  "whom", "which", "for"};
// Prefixes whose reduced vowel passes the stress on (about, begin, decide).
constexpr const char* kWeakPrefixes[] = {
    "trans", "with", "con", "com", "col", "cor", "dis", "mis", "per", "pre", "pro", "sub",
    "suc",   "suf",  "sup", "sur", "sus", "for", "ab",  "ac",  "ad",  "af",  "ag",  "al",
    "ap",    "as",   "at",  "be",  "de",  "di",  "ef",  "em",  "en",  "es",  "ex",  "im",
    "in",    "ir",   "ob",  "oc",  "of",  "op",  "re",  "un",  "a",   "e"};

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The endings after which a base in -y is written with i (studies, happily).
bool TakesYBack(const std::string& ending) {
  for (const char* e : {"es", "ed", "er", "ers", "est", "ly", "ness", "less", "ful", "fully",
                        "ment", "ments", "able", "ably"}) {
    if (ending == e) return true;
  }
  return false;
}

bool StartsWith(const std::string& s, const std::string& start) {
  return s.size() >= start.size() && s.compare(0, start.size(), start) == 0;
}

bool IsVowelLetter(char c) { return std::string("aeiouy").find(c) != std::string::npos; }

bool IsTense(const std::string& v) {
  return v == "EY" || v == "IY" || v == "AY" || v == "OW" || v == "UW" || v == "AW" || v == "OY";
}

bool IsPalatal(const std::string& c) {
  return c == "SH" || c == "ZH" || c == "CH" || c == "JH" || c == "Y";
}

std::vector<std::string> Split(const char* text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

// A word being taken apart: its spelling without the endings taken off so
// far, the first `end` phones, of which the first k vowels.
class StressFinder {
 public:
  StressFinder(const std::string& word, const Pronunciation& phones) : spelling_(word) {
    for (std::size_t i = 0; i < phones.size(); ++i) {
      names_.push_back(phones[i].name);
      if (IsArpaVowel(phones[i].name)) vowels_.push_back(i);
    }
    end_ = names_.size();
    k_ = static_cast<int>(vowels_.size());
  }

  int Find() {
    const int n = k_;
    if (n <= 1) return n - 1;
    int fixed = 0;
    if (Compound(fixed)) return fixed;
    for (const char* e : kStressedEndings) {
      if (EndsWith(spelling_, e) && V(n - 1) != "AH") return n - 1;
    }
    for (;;) {
      if (FixingEnding(fixed)) return std::clamp(fixed, 0, k_ - 1);
      if (!TakeOffNeutralEnding()) break;
    }
    return Default(0, k_);
  }

 private:
  const std::string& V(int i) const { return names_[vowels_[static_cast<std::size_t>(i)]]; }

  // The phones between vowel i and the next vowel (or the end of the base).
  int ConsonantsAfter(int i) const {
    const std::size_t from = vowels_[static_cast<std::size_t>(i)] + 1;
    const std::size_t to = i + 1 < k_ ? vowels_[static_cast<std::size_t>(i) + 1] : end_;
    return static_cast<int>(to - from);
  }

  // The phone just before vowel i, or "" at the start.
  std::string Before(int i) const {
    const std::size_t at = vowels_[static_cast<std::size_t>(i)];
    return at == 0 ? "" : names_[at - 1];
  }

  // Whether vowel i (the last of the base) is a final [i] written -y, -ie,
  // -ey or -i: never stressed.
  bool FinalWeakI(int i) const {
    return i == k_ - 1 && V(i) == "IY" &&
           (EndsWith(spelling_, "y") || EndsWith(spelling_, "ie") || EndsWith(spelling_, "i"));
  }

  bool Reduced(int i) const {
    return V(i) == "AH" || V(i) == "ER" || FinalWeakI(i) ||
           (i == k_ - 1 && V(i) == "UW" && EndsWith(spelling_, "ue"));
  }

  // The spelling ends with e, or with e after a silent e that an ending took
  // off (mak-ing: make).
  bool BaseEndsWith(const std::string& e) const {
    return EndsWith(spelling_, e) || (cutVowel_ && EndsWith(spelling_ + "e", e));
  }

  bool Compound(int& stressed) const {
    const int n = k_;
    for (const char* second : kUnstressedSecondParts) {
      for (const char* first : kStressedFirstParts) {
        if (spelling_ == std::string(first) + second) {
          stressed = 0;
          return true;
        }
      }
    }
    for (const char* e : kDayEndings) {
      if (EndsWith(spelling_, e) && spelling_.size() > 4) {
        stressed = 0;
        return true;
      }
    }
    for (const char* first : kEverFirstParts) {
      if (spelling_ == std::string(first) + "ever" || spelling_ == std::string(first) + "soever") {
        stressed = n - 2;
        return true;
      }
    }
    return false;
  }

  // The stress that an ending of the base fixes, counted from the end.
  bool FixingEnding(int& stressed) const {
    const int k = k_;
    if (k < 2) return false;
    // -tion, -sion, -cial, -ian, -ious, -ual, -uous, -ia: on the syllable
    // before the ending, whose i or u is a vowel of its own (ma-te-ri-al)
    // or has become a consonant (na-tion, mil-lion).
    static const char* const kIEndings[] = {
        "tion",  "sion",  "cion",  "xion",  "cian",  "tian", "sian", "tial", "cial",
        "tious", "cious", "cient", "tient", "ion",   "ial",  "ian",  "ious", "ient",
        "ience", "iency", "ior",   "ium",   "ia",    "eous", "uous", "ual",  "uity",
        "uent",  "uence", "iate",  "iant",  "iance", "iar"};
    for (const char* e : kIEndings) {
      if (!BaseEndsWith(e)) continue;
      if (IsPalatal(Before(k - 1))) {
        stressed = k - 2;
      } else if (V(k - 2) == "IY" || V(k - 2) == "IH" || V(k - 2) == "UW" || Before(k - 1) == "W") {
        stressed = k - 3;
      } else {
        stressed = k - 2;
      }
      return true;
    }
    if (BaseEndsWith("ic") || BaseEndsWith("ical")) {
      stressed = BaseEndsWith("ical") ? k - 3 : k - 2;
      return true;
    }
    for (const char* e : {"ity", "ety", "ify"}) {
      if (BaseEndsWith(e)) {
        stressed = k - 3;
        return true;
      }
    }
    for (const char* e : {"ology", "ologist", "ogy", "ography", "ometer", "onomy", "osophy"}) {
      if (BaseEndsWith(e)) {
        stressed = k - 3;
        return true;
      }
    }
    if (BaseEndsWith("ograph") && cut_) {
      stressed = k - 2;
      return true;
    }
    if (BaseEndsWith("ate") && V(k - 1) == "EY") {
      stressed = k >= 3 ? k - 3 : k - 1;
      return true;
    }
    if ((BaseEndsWith("ize") || BaseEndsWith("ise")) && V(k - 1) == "AY" && k >= 3) {
      stressed = k - 3;
      return true;
    }
    if (BaseEndsWith("ary") || BaseEndsWith("ory")) {
      stressed = k >= 4 ? k - 4 : 0;
      return true;
    }
    return false;
  }

  bool TakeOffNeutralEnding() {
    for (const NeutralEnding& ending : NeutralEndings()) {
      const std::string e = ending.spelling;
      if (!EndsWith(spelling_, e) || spelling_.size() < e.size() + 2) continue;
      if (e == "s" && EndsWith(spelling_, "ss")) continue;  // happiness, class
      for (const char* tail : ending.tails) {
        const std::vector<std::string> t = Split(tail);
        if (t.size() > end_) continue;
        if (!std::equal(t.begin(), t.end(), names_.begin() + static_cast<long>(end_ - t.size()))) {
          continue;
        }
        const int vowels = static_cast<int>(
            std::count_if(t.begin(), t.end(), [](const std::string& p) { return IsArpaVowel(p); }));
        if (k_ - vowels < 1) continue;
        end_ -= t.size();
        k_ -= vowels;
        spelling_.resize(spelling_.size() - e.size());
        cut_ = true;
        cutVowel_ = e[0] == 'e' || e[0] == 'i' || e[0] == 'a' || e == "y";
        // happ-i-ly, stud-i-ed: the base ends in y.
        if (!spelling_.empty() && spelling_.back() == 'i' && TakesYBack(e)) spelling_.back() = 'y';
        return true;
      }
    }
    return false;
  }

  // The stress of vowels [first, k): a weak prefix passes it on, else the
  // Latin-like rule.
  int Default(int first, int k) const {
    const int n = k - first;
    if (n <= 1) return first;
    if (first == 0) {
      const std::string v0 = V(0);
      const bool weak = v0 == "AH" || v0 == "IH" || v0 == "IY" || v0 == "ER";
      if (weak) {
        for (const char* p : kWeakPrefixes) {
          const std::string prefix = p;
          // [i] is the weak vowel of be-, de-, re-, pre- only (not of even).
          if (v0 == "IY" && prefix != "be" && prefix != "de" && prefix != "re" && prefix != "pre") {
            continue;
          }
          // A prefix stands before a consonant (de-velop; not per-iod).
          if (!StartsWith(spelling_, prefix) || spelling_.size() < prefix.size() + 2 ||
              IsVowelLetter(spelling_[prefix.size()])) {
            continue;
          }
          const int rest = Default(1, k);
          if (!Reduced(rest)) return rest;
          break;
        }
      }
    }
    if (n == 2) {
      if (V(first) == "AH" && !Reduced(first + 1)) return first + 1;
      return first;
    }
    const int penult = k - 2;
    const int ante = k - 3;
    if (V(ante) == "AH" && !Reduced(penult)) return penult;
    if (Reduced(penult)) return ante;
    const int after = ConsonantsAfter(penult);
    const bool heavy = (IsTense(V(penult)) && after >= 1) || after >= 2;
    return heavy ? penult : ante;
  }

  std::string spelling_;
  std::vector<std::string> names_;
  std::vector<std::size_t> vowels_;
  std::size_t end_ = 0;
  int k_ = 0;
  bool cut_ = false;
  bool cutVowel_ = false;
};

}  // namespace

int StressedVowel(const std::string& word, const Pronunciation& phones) {
  return StressFinder(word, phones).Find();
}

Pronunciation WithStress(const std::string& word, Pronunciation phones) {
  const int stressed = StressedVowel(word, phones);
  int v = 0;
  for (ArpaPhone& p : phones) {
    if (!IsArpaVowel(p.name)) continue;
    p.stress = v == stressed ? 1 : 0;
    ++v;
  }
  return phones;
}

}  // namespace englex
