#include "tools/greeklex/UserLexicon.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "tools/greeklex/GreekText.h"

namespace greeklex {
namespace {

// Endings of the inflection that may follow the vowel after a glide place
// (as written without accents, Windows-1253): α ας ε ες η ης ο ος ου ους οι ων.
const std::vector<std::string>& Endings() {
  static const std::vector<std::string> kEndings = {
      "\xE1", "\xE1\xF2", "\xE5", "\xE5\xF2", "\xE7", "\xE7\xF2", "\xEF",
      "\xEF\xF2", "\xEF\xF5", "\xEF\xF5\xF2", "\xEF\xE9", "\xF9\xED"};
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
bool FamilyStressesGlide(const std::string& plain, const GlidePlace& p,
                         const std::unordered_set<std::string>& forms) {
  const std::string rest = plain.substr(p.start + p.length);
  const auto& endings = Endings();
  if (std::find(endings.begin(), endings.end(), rest) == endings.end()) return false;
  const std::string head = plain.substr(0, p.start) + StressedGlide(plain, p);
  for (const std::string& ending : endings) {
    const std::string sibling = head + ending;
    if (forms.count(sibling) != 0) return true;
  }
  return false;
}

// Whether the word (without accents) starts with the stem, and the stem
// marks the glide's vowel with ϊ or ϋ.
bool StemKeepsHiatus(const std::string& stem, const std::string& plain, const GlidePlace& p) {
  constexpr unsigned char kIotaDia = 0xFA;
  constexpr unsigned char kUpsilonDia = 0xFB;
  const std::size_t mark = p.start + p.length - 1;
  if (plain.size() < stem.size() || mark >= stem.size()) return false;
  const auto marked = static_cast<unsigned char>(stem[mark]);
  if (marked != kIotaDia && marked != kUpsilonDia) return false;
  for (std::size_t k = 0; k < stem.size(); ++k) {
    const auto s = static_cast<unsigned char>(stem[k]);
    const unsigned char base = s == kIotaDia ? 0xE9 : s == kUpsilonDia ? 0xF5 : s;
    if (static_cast<unsigned char>(plain[k]) != base) return false;
  }
  return true;
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
      bool keep = FamilyStressesGlide(plain, *it, forms);
      for (const std::string& stem : sources.hiatusStems) {
        if (keep) break;
        keep = StemKeepsHiatus(stem, plain, *it);
      }
      if (keep) spelled = KeepHiatus(spelled, *it);
    }
    if (spelled != w) reading[w] = spelled;
  }
  counts.hiatus = reading.size();

  // Entries besides the hand-written ones.
  std::map<std::string, std::string> found;
  for (const auto& [w, spelled] : reading) found[w] = spelled;
  // Accentless keys and their candidates.
  std::map<std::string, std::vector<std::string>> candidates;
  for (const std::string& w : forms) {
    const std::string key = StripAccents(w);
    if (key == w || forms.count(key) != 0) continue;
    candidates[key].push_back(w);
  }
  for (auto& [key, list] : candidates) {
    std::sort(list.begin(), list.end());
    const std::string plainReading = phones(key);
    bool defaultFits = false;
    for (const std::string& w : list) {
      const auto r = reading.find(w);
      if (phones(r != reading.end() ? r->second : w) == plainReading) defaultFits = true;
    }
    if (defaultFits) continue;
    const auto r = reading.find(list.front());
    found[key] = r != reading.end() ? r->second : list.front();
    ++counts.restorable;
  }

  // The budget: hand entries first, then the shortest words.
  std::map<std::string, std::string> out;
  for (const auto& [key, value] : sources.hand) {
    out[key] = value;
    const std::string plain = StripAccents(key);
    if (plain != key && forms.count(plain) == 0) out.emplace(plain, value);
  }
  std::vector<std::pair<std::string, std::string>> rest(found.begin(), found.end());
  std::stable_sort(rest.begin(), rest.end(), [](const auto& a, const auto& b) {
    return a.first.size() < b.first.size();
  });
  for (const auto& entry : rest) {
    if (out.size() >= budget) break;
    out.emplace(entry.first, entry.second);
  }
  counts.written = out.size();
  return out;
}

}  // namespace greeklex
