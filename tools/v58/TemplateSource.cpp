#include "tools/v58/TemplateSource.h"

#include <algorithm>
#include <cmath>

#include "engine/base/VLib.h"
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
// A point given in levels: the level at its onset and at its end (both
// above 0), its labels and its rise.
constexpr int kLevelFields = 4;
constexpr const char* kLevelFieldNames[kLevelFields] = {"onset", "end", "labels", "rise"};
constexpr bool kLevelLabelField[kLevelFields] = {false, false, true, false};
constexpr bool kLevelAboveZero[kLevelFields] = {true, true, false, false};
// Decimals of the factors written for a type given in levels.
constexpr double kFactorUnits = 10000.0;

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

// x (not negative) with up to four decimals, a point before them, at
// least one decimal: the same text in every locale.
std::string Decimal(double x) {
  const long long units = std::llround(x * kFactorUnits);
  std::string fraction = std::to_string(units % static_cast<long long>(kFactorUnits));
  fraction.insert(0, 4 - fraction.size(), '0');
  while (fraction.size() > 1 && fraction.back() == '0') fraction.pop_back();
  return std::to_string(units / static_cast<long long>(kFactorUnits)) + "." + fraction;
}

constexpr int kS1 = 1, kT1 = 2, kS3 = 5, kT3 = 6, kT = 7;

// The point whose description point p takes in a template of mask: in a
// phrase of one stress that stress is the nucleus, so S1 and T1 take the
// descriptions of S3 and T3.
int Role(int p, int mask) {
  if ((mask & PointBit(kS1)) == 0 || (mask & PointBit(kS3)) != 0) return p;
  return p == kS1 ? kS3 : p == kT1 ? kT3 : p;
}

// The element lines of a template of mask for a type given in levels. The
// first element starts at its onset, every later one at 1 (its syllable is
// reached by the movement to it); each moves to its end level (ratio end /
// onset) and from there towards the next point's onset (end value 1, end
// ratio next onset / end). The engine multiplies these along the phrase,
// so every point reaches its own levels whichever points come before it.
// The last point is the phrase's last syllable: it ends at T's end.
std::vector<ElementLine> LevelElements(const std::string& file, const PhraseDescription& p,
                                       int mask) {
  struct Point {
    int p;
    double onset, end;
    const PointDescription* d;
  };
  std::vector<Point> points;
  for (int point = 0; point < kPointCount; ++point) {
    if ((mask & PointBit(point)) == 0) continue;
    const PointDescription* d = &*p.points[static_cast<std::size_t>(Role(point, mask))];
    points.push_back({point, VLib::ParseFloat(d->fields[0]), VLib::ParseFloat(d->fields[1]), d});
  }
  points.back().end = VLib::ParseFloat(p.points[kT]->fields[1]);
  std::vector<ElementLine> elements;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Point& at = points[i];
    const double next = i + 1 < points.size() ? points[i + 1].onset / at.end : 1.0;
    const std::string& labels = at.d->fields[2];
    const std::string& rise = at.d->fields[3];
    ElementLine e;
    e.fields = {PointName(at.p),
                Decimal(i == 0 ? at.onset : 1.0),
                Decimal(at.end / at.onset),
                labels,
                rise,
                "1.0",
                Decimal(next),
                labels,
                rise};
    e.origin = file + ":" + std::to_string(at.d->line);
    elements.push_back(e);
  }
  return elements;
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
      if (words.size() != 2 && (words.size() != 3 || words[2] != "levels")) {
        errors.push_back(Located(file, n, "a phrase line is: phrase NAME [levels]"));
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
      p.levels = words.size() == 3;
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
    PhraseDescription& phrase = phrases.back();
    const int fields = phrase.levels ? kLevelFields : kElementFields - 1;
    if (words.size() != static_cast<std::size_t>(fields + 1)) {
      errors.push_back(Located(file, n,
                               "point " + words[0] + " has " + std::to_string(words.size() - 1) +
                                   " fields, " + std::to_string(fields) + " expected"));
      continue;
    }
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
    for (int f = 0; f < fields; ++f) {
      const std::string& word = words[static_cast<std::size_t>(f + 1)];
      std::string& field = d.fields[static_cast<std::size_t>(f)];
      const std::string name = phrase.levels ? kLevelFieldNames[f] : kFieldNames[f];
      std::string reason;
      if (phrase.levels ? kLevelLabelField[f] : kLabelField[f]) {
        if (!ReadLabels(word, field, reason)) {
          errors.push_back(Located(file, n, name + ": " + reason));
          ok = false;
        }
      } else if (!IsNumber(word)) {
        errors.push_back(
            Located(file, n, name + " " + Quoted(word) + " is not a number (digits with '.')"));
        ok = false;
      } else if (phrase.levels && kLevelAboveZero[f] && VLib::ParseFloat(word) <= 0.0) {
        errors.push_back(Located(file, n, name + " " + Quoted(word) + " is not above 0"));
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
      if (p.levels) {
        for (int point = 0; point < kPointCount; ++point) {
          if ((mask & PointBit(point)) != 0) t.names.emplace_back(PointName(point));
        }
        t.elements = LevelElements(file, p, mask);
        c.templates.push_back(t);
        continue;
      }
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
