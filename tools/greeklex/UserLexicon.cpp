#include "tools/greeklex/UserLexicon.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <unordered_map>
#include <unordered_set>

#include "platform/Codepage.h"
#include "tools/greeklex/GreekText.h"

namespace greeklex {
namespace {

// Endings of the inflection that may follow the vowel after a glide place
// (as written without accents, Windows-1253): α ας ε ες η ης ο ος ου ους οι ων.
const std::vector<std::string>& Endings() {
  static const std::vector<std::string> kEndings = {
      "\xE1", "\xE1\xF2", "\xE5",     "\xE5\xF2",     "\xE7",     "\xE7\xF2",
      "\xEF", "\xEF\xF2", "\xEF\xF5", "\xEF\xF5\xF2", "\xEF\xE9", "\xF9\xED"};
  return kEndings;
}

// The stressed form of a glide's vowel: ι -> ί, υ -> ύ, ει -> εί, οι -> οί.
std::string StressedGlide(const std::string& plain, const GlidePlace& p) {
  std::string glide = plain.substr(p.start, p.length);
  char& last = glide.back();
  last = static_cast<char>(static_cast<unsigned char>(last) == 0xF5 ? 0xFD : 0xDF);
  return glide;
}

// Whether the family of the word stresses the glide's vowel before an
// ending (κύριος beside κυρίου, σχέδιο beside σχεδίου): then the word is a
// learned one that keeps the hiatus. Only for a glide whose rest of the
// word is an ending.
bool FamilyStressesGlide(const std::string& word, const std::string& plain, const GlidePlace& p,
                         const std::unordered_set<std::string>& forms) {
  const std::string rest = plain.substr(p.start + p.length);
  // The plural of a neuter in -ι (μάτι, μάτια, ματιών) has the glide.
  const bool plural = rest == "\xE1" || rest == "\xF9\xED";
  if (plural && p.length == 1 && forms.count(word.substr(0, p.start + 1)) != 0) return false;
  const auto& endings = Endings();
  if (std::find(endings.begin(), endings.end(), rest) == endings.end()) return false;
  const std::string head = plain.substr(0, p.start) + StressedGlide(plain, p);
  for (const std::string& ending : endings) {
    const std::string sibling = head + ending;
    if (forms.count(sibling) != 0) return true;
  }
  return false;
}

// Whether the word (without accents) starts with the stem (or, for a stem
// written with a leading '-', ends with it), and the stem marks the glide's
// vowel with ϊ or ϋ.
bool StemKeepsHiatus(const std::string& written, const std::string& plain, const GlidePlace& p) {
  constexpr unsigned char kIotaDia = 0xFA;
  constexpr unsigned char kUpsilonDia = 0xFB;
  const bool suffix = !written.empty() && written[0] == '-';
  const std::string stem = suffix ? written.substr(1) : written;
  if (plain.size() < stem.size()) return false;
  const std::size_t offset = suffix ? plain.size() - stem.size() : 0;
  const std::size_t mark = p.start + p.length - 1;
  if (mark < offset || mark - offset >= stem.size()) return false;
  const auto marked = static_cast<unsigned char>(stem[mark - offset]);
  if (marked != kIotaDia && marked != kUpsilonDia) return false;
  for (std::size_t k = 0; k < stem.size(); ++k) {
    const auto s = static_cast<unsigned char>(stem[k]);
    const unsigned char base = s == kIotaDia ? 0xE9 : s == kUpsilonDia ? 0xF5 : s;
    if (static_cast<unsigned char>(plain[offset + k]) != base) return false;
  }
  return true;
}

// Endings (without accents) of forms that everyday text seldom holds: the
// plural persons of the past continuous and of the passive, the passive
// aorist's subjunctive and participle, participles in -μενων/-μενους. They
// go after the other forms when the budget is short.
const std::vector<std::string>& RareEndings() {
  static const std::vector<std::string> kRare = {
      "μασταν", "σασταν", "ντουσαν", "ουσαμε", "ουσατε", "ηθηκαμε", "ηθηκατε", "ηθουμε", "ηθειτε",
      "ηθουν",  "ηθεις",  "ηθει",    "ηθω",    "ομαστε", "οσαστε",  "ιεστε",   "μενων",  "μενους",
      "μενου",  "μενης",  "μενες",   "θηκαμε", "θηκατε", "σαμε",    "σατε",    "ξαμε",   "ξατε",
      "ψαμε",   "ψατε",   "ουσες",   "ουσε",   "θουμε",  "θειτε"};
  return kRare;
}

std::size_t AccentCount(const std::string& w) {
  const std::string plain = StripAccents(w);
  std::size_t n = 0;
  for (std::size_t i = 0; i < w.size(); ++i) n += w[i] != plain[i] ? 1 : 0;
  return n;
}

// The index of the last accented letter (0 without one).
std::size_t LastAccent(const std::string& w) {
  const std::string plain = StripAccents(w);
  std::size_t at = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (w[i] != plain[i]) at = i;
  }
  return at;
}

// The place of an entry in the budget: shorter words first, rare endings
// after the rest.
std::size_t Priority(const std::string& key) {
  std::size_t score = key.size();
  const std::string plain = StripAccents(key);
  for (const std::string& ending : RareEndings()) {
    const std::string e = platform::Utf8ToCp1253(ending);
    if (plain.size() > e.size() && plain.compare(plain.size() - e.size(), e.size(), e) == 0) {
      return score + 8;
    }
  }
  return score;
}

}  // namespace

std::map<std::string, std::string> BuildUserLexicon(
    const LexiconSources& sources, const std::function<std::string(const std::string&)>& phones,
    std::size_t budget, LexiconCounts& counts) {
  std::unordered_set<std::string> forms;
  for (const std::string& w : sources.words) forms.insert(Lower(w));
  counts.forms = forms.size();

  // The reading of each form: the form itself, or its respelling with the
  // hiatus kept.
  std::unordered_map<std::string, std::string> reading;
  for (const std::string& w : forms) {
    if (sources.glideWords.count(w) != 0) continue;
    const std::string plain = StripAccents(w);
    std::string spelled = w;
    // From the last place to the first, so that earlier indexes stay.
    std::vector<GlidePlace> places = GlidePlaces(w);
    for (auto it = places.rbegin(); it != places.rend(); ++it) {
      // The family counts only when the word's stress stands before the
      // glide (κύριος, not δουλειά beside δουλεία; not an unaccented word
      // of one syllable: ποιος beside ποίος).
      bool keep =
          HasAccent(w) && LastAccent(w) < it->start && FamilyStressesGlide(w, plain, *it, forms);
      for (const std::string& stem : sources.hiatusStems) {
        if (keep) break;
        keep = StemKeepsHiatus(stem, plain, *it);
      }
      if (keep) spelled = KeepHiatus(spelled, *it);
    }
    if (spelled != w) reading[w] = spelled;
  }
  counts.hiatus = reading.size();

  // The budget: the hand entries, then the forms that keep a hiatus (they
  // are written as they stand in accented text), then the accentless keys
  // by priority; a key is examined (read by the phonemizer) only while
  // there is room, so the work stays within the budget.
  std::map<std::string, std::string> out;
  for (const auto& [key, value] : sources.hand) {
    out[key] = value;
    const std::string plain = StripAccents(key);
    if (plain != key && forms.count(plain) == 0) out.emplace(plain, value);
  }
  std::vector<std::pair<std::string, std::string>> hiatus(reading.begin(), reading.end());
  std::sort(hiatus.begin(), hiatus.end(), [](const auto& a, const auto& b) {
    return std::make_pair(Priority(a.first), a.first) < std::make_pair(Priority(b.first), b.first);
  });
  for (const auto& entry : hiatus) {
    if (out.size() >= budget) break;
    out.emplace(entry.first, entry.second);
  }
  // Accentless keys and their candidates.
  std::map<std::string, std::vector<std::string>> candidates;
  for (const std::string& w : forms) {
    const std::string key = StripAccents(w);
    if (key == w || forms.count(key) != 0) continue;
    candidates[key].push_back(w);
  }
  std::vector<std::pair<std::size_t, const std::string*>> order;
  for (const auto& entry : candidates) order.emplace_back(Priority(entry.first), &entry.first);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [priority, keyAt] : order) {
    if (out.size() >= budget) break;
    const std::string& key = *keyAt;
    std::vector<std::string>& list = candidates[key];
    // Forms with two accents (an enclitic's: πάτωμά) are no candidates; of
    // the others the one stressed nearest the end goes first (αλλά before
    // άλλα), then in byte order.
    list.erase(std::remove_if(list.begin(), list.end(),
                              [](const std::string& w) { return AccentCount(w) != 1; }),
               list.end());
    if (list.empty() || out.count(key) != 0) continue;
    std::sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
      const std::size_t fa = a.size() - LastAccent(a);
      const std::size_t fb = b.size() - LastAccent(b);
      return fa != fb ? fa < fb : a < b;
    });
    const std::string plainReading = phones(key);
    bool defaultFits = false;
    for (const std::string& w : list) {
      const auto r = reading.find(w);
      if (phones(r != reading.end() ? r->second : w) == plainReading) defaultFits = true;
    }
    ++counts.examined;
    if (defaultFits) continue;
    const auto r = reading.find(list.front());
    out.emplace(key, r != reading.end() ? r->second : list.front());
    ++counts.restored;
  }
  counts.written = out.size();
  return out;
}

bool WriteLexicon(const std::map<std::string, std::string>& lexicon, const std::string& output,
                  std::ostream& out, std::string& error) {
  const auto write = [&lexicon](std::ostream& to) {
    for (const auto& [key, value] : lexicon) to << key << '=' << value << '\n';
    to.flush();
    return static_cast<bool>(to);
  };
  error = "cannot write " + output;
  if (output == "-") return write(out);
  const std::string temp = output + ".tmp";
  bool written = false;
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    written = write(file);
  }
  if (!written || std::rename(temp.c_str(), output.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace greeklex
