#include "tools/greeklex/HunspellWords.h"

#include <fstream>
#include <map>
#include <sstream>

#include "platform/Codepage.h"

namespace greeklex {
namespace {

// One affix rule: strip these characters, add those, when the condition
// holds at the stem's end (suffix) or start (prefix).
struct Affix {
  bool suffix = true;
  bool cross = false;
  std::string strip;
  std::string add;
  std::vector<std::string> condition;  // one entry per character: its set, '^' first to negate
};

// ISO-8859-7 differs from Windows-1253 for letters only in Ά.
std::string ToCp1253(const std::string& text, const std::string& encoding) {
  if (encoding == "UTF-8") return platform::Utf8ToCp1253(text);
  std::string out = text;
  if (encoding == "ISO8859-7") {
    for (char& c : out) {
      if (static_cast<unsigned char>(c) == 0xB6) c = static_cast<char>(0xA2);
    }
  }
  return out;
}

std::vector<std::string> ParseCondition(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '[') {
      const std::size_t close = text.find(']', i);
      if (close == std::string::npos) break;
      out.push_back(text.substr(i + 1, close - i - 1));
      i = close;
    } else if (text[i] == '.') {
      out.emplace_back("^");  // nothing excluded: any character
    } else {
      out.push_back(text.substr(i, 1));
    }
  }
  return out;
}

bool CharFits(char c, const std::string& set) {
  if (!set.empty() && set[0] == '^') return set.find(c, 1) == std::string::npos;
  return set.find(c) != std::string::npos;
}

bool ConditionHolds(const Affix& a, const std::string& stem) {
  if (a.condition.size() > stem.size()) return false;
  const std::size_t offset = a.suffix ? stem.size() - a.condition.size() : 0;
  for (std::size_t k = 0; k < a.condition.size(); ++k) {
    if (!CharFits(stem[offset + k], a.condition[k])) return false;
  }
  return true;
}

// The form of stem with affix a, or "" when it does not apply.
std::string Apply(const Affix& a, const std::string& stem) {
  if (!ConditionHolds(a, stem)) return "";
  if (a.suffix) {
    if (stem.size() < a.strip.size() ||
        stem.compare(stem.size() - a.strip.size(), a.strip.size(), a.strip) != 0) {
      return "";
    }
    return stem.substr(0, stem.size() - a.strip.size()) + a.add;
  }
  if (stem.compare(0, a.strip.size(), a.strip) != 0) return "";
  return a.add + stem.substr(a.strip.size());
}

}  // namespace

std::vector<std::string> ReadHunspellWords(const std::string& dicPath, const std::string& affPath,
                                           std::string& error) {
  std::ifstream aff(affPath, std::ios::binary);
  std::ifstream dic(dicPath, std::ios::binary);
  if (!aff || !dic) {
    error = "cannot read " + (!aff ? affPath : dicPath);
    return {};
  }
  std::string encoding;
  std::map<char, std::vector<Affix>> affixes;
  std::map<char, bool> crosses;
  std::string line;
  while (std::getline(aff, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "SET") {
      fields >> encoding;
      continue;
    }
    if (kind != "SFX" && kind != "PFX") continue;
    std::string flag, a, b, c;
    fields >> flag >> a >> b;
    if (flag.size() != 1 || !(fields >> c)) {
      // A header line: flag, cross product (Y/N), count.
      if (flag.size() == 1) crosses[flag[0]] = a == "Y";
      continue;
    }
    Affix affix;
    affix.suffix = kind == "SFX";
    affix.cross = crosses[flag[0]];
    affix.strip = a == "0" ? "" : ToCp1253(a, encoding);
    affix.add = b == "0" ? "" : ToCp1253(b.substr(0, b.find('/')), encoding);
    affix.condition = ParseCondition(ToCp1253(c, encoding));
    affixes[flag[0]].push_back(affix);
  }

  std::vector<std::string> words;
  bool first = true;
  while (std::getline(dic, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The first line holds the count of stems.
    if (first) {
      first = false;
      if (line.find_first_not_of("0123456789") == std::string::npos) continue;
    }
    if (line.empty()) continue;
    const std::size_t slash = line.find('/');
    const std::string stem = ToCp1253(line.substr(0, slash), encoding);
    const std::string flags = slash == std::string::npos ? "" : line.substr(slash + 1);
    words.push_back(stem);
    std::vector<std::string> prefixed;
    for (char f : flags) {
      const auto found = affixes.find(f);
      if (found == affixes.end()) continue;
      for (const Affix& a : found->second) {
        const std::string form = Apply(a, stem);
        if (form.empty()) continue;
        words.push_back(form);
        if (!a.suffix && a.cross) prefixed.push_back(form);
      }
    }
    // Cross products: the prefixed forms take the suffixes too.
    for (const std::string& p : prefixed) {
      for (char f : flags) {
        const auto found = affixes.find(f);
        if (found == affixes.end()) continue;
        for (const Affix& a : found->second) {
          if (!a.suffix || !a.cross) continue;
          const std::string form = Apply(a, p);
          if (!form.empty()) words.push_back(form);
        }
      }
    }
  }
  return words;
}

}  // namespace greeklex
