#include "tools/v58/TemplateSource.h"

#include <algorithm>

#include "tools/scramble/SourceText.h"

namespace v58 {
namespace {

using scramble::Located;

// The fields of a point line after the point's name.
constexpr const char* kFieldNames[kElementFields - 1] = {
    "start value", "start ratio", "start labels", "start rise",
    "end value",   "end ratio",   "end labels",   "end rise"};
constexpr bool kLabelField[kElementFields - 1] = {false, false, true, false,
                                                  false, false, true, false};

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The words of a line, split at runs of blanks and tabs.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// "-" for no label, else name:value items joined by ','; gives the labels
// as the engine reads them (joined by single blanks).
bool ReadLabels(const std::string& word, std::string& labels, std::string& reason) {
  labels.clear();
  if (word == "-") return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = word.find(',', start);
    const std::string item = word.substr(start, comma - start);
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == item.size()) {
      reason = "label " + Quoted(item) + " is not name:value";
      return false;
    }
    labels += (labels.empty() ? "" : " ") + item;
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

std::vector<PhraseDescription> ParseSource(const std::string& file, const std::string& content,
                                           std::vector<std::string>& errors) {
  std::vector<PhraseDescription> phrases;
  for (const scramble::SourceLine& source : scramble::SplitLines(content)) {
    const int n = source.number;
    const std::vector<std::string> words = Words(source.text);
    if (words.empty() || words[0][0] == '#') continue;

    if (words[0] == "phrase") {
      if (words.size() != 2) {
        errors.push_back(Located(file, n, "a phrase line is: phrase NAME"));
        continue;
      }
      const std::vector<std::string>& types = PhraseTypes();
      if (std::find(types.begin(), types.end(), words[1]) == types.end()) {
        errors.push_back(Located(file, n,
                                 "phrase type " + Quoted(words[1]) +
                                     " is none of stop, comma, question, "
                                     "exclamation, null"));
      }
      for (const PhraseDescription& p : phrases) {
        if (p.name == words[1]) {
          errors.push_back(Located(
              file, n,
              "phrase type " + words[1] + " already described at line " + std::to_string(p.line)));
        }
      }
      PhraseDescription p;
      p.name = words[1];
      p.line = n;
      phrases.push_back(p);
      continue;
    }

    const int point = PointOfName(words[0]);
    if (point < 0) {
      errors.push_back(Located(file, n,
                               Quoted(words[0]) + " is neither phrase nor a point (H, "
                                                  "S1, T1, S2, T2, S3, T3, T)"));
      continue;
    }
    if (phrases.empty()) {
      errors.push_back(Located(file, n, "point " + words[0] + " before any phrase line"));
      continue;
    }
    if (words.size() != static_cast<std::size_t>(kElementFields)) {
      errors.push_back(Located(file, n,
                               "point " + words[0] + " has " + std::to_string(words.size() - 1) +
                                   " fields, " + std::to_string(kElementFields - 1) + " expected"));
      continue;
    }
    PhraseDescription& phrase = phrases.back();
    std::optional<PointDescription>& slot = phrase.points[static_cast<std::size_t>(point)];
    if (slot.has_value()) {
      errors.push_back(Located(file, n,
                               "point " + words[0] + " of phrase " + phrase.name +
                                   " already described at line " + std::to_string(slot->line)));
      continue;
    }
    PointDescription d;
    d.line = n;
    bool ok = true;
    for (int f = 0; f < kElementFields - 1; ++f) {
      const std::string& word = words[static_cast<std::size_t>(f + 1)];
      std::string& field = d.fields[static_cast<std::size_t>(f)];
      std::string reason;
      if (kLabelField[f]) {
        if (!ReadLabels(word, field, reason)) {
          errors.push_back(Located(file, n, std::string(kFieldNames[f]) + ": " + reason));
          ok = false;
        }
      } else if (!IsNumber(word)) {
        errors.push_back(Located(file, n,
                                 std::string(kFieldNames[f]) + " " + Quoted(word) +
                                     " is not a number (digits with '.')"));
        ok = false;
      } else {
        field = word;
      }
    }
    if (ok) slot = d;
  }

  if (phrases.empty() && errors.empty()) {
    errors.push_back(Located(file, 1, "no phrase type described"));
  }
  for (const PhraseDescription& p : phrases) {
    std::string missing;
    for (int point = 0; point < kPointCount; ++point) {
      if (!p.points[static_cast<std::size_t>(point)].has_value()) {
        missing += std::string(missing.empty() ? "" : " ") + PointName(point);
      }
    }
    if (!missing.empty()) {
      errors.push_back(Located(file, p.line, "phrase " + p.name + " lacks the points " + missing));
    }
  }
  return phrases;
}

TemplateFile Expand(const std::string& file, const std::vector<PhraseDescription>& phrases) {
  TemplateFile out;
  for (const PhraseDescription& p : phrases) {
    Collection c;
    c.name = p.name;
    c.origin = file + ":" + std::to_string(p.line);
    for (const int mask : ReachableMasks()) {
      Template t;
      t.origin = c.origin;
      for (int point = 0; point < kPointCount; ++point) {
        if ((mask & PointBit(point)) == 0) continue;
        t.names.emplace_back(PointName(point));
        const std::optional<PointDescription>& d = p.points[static_cast<std::size_t>(point)];
        ElementLine e;
        e.fields.emplace_back(PointName(point));
        if (d.has_value()) {
          e.fields.insert(e.fields.end(), d->fields.begin(), d->fields.end());
          e.origin = file + ":" + std::to_string(d->line);
        } else {
          e.origin = c.origin;
        }
        t.elements.push_back(e);
      }
      c.templates.push_back(t);
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace v58
