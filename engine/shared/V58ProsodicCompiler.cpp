#include "engine/shared/V58ProsodicCompiler.h"

#include <fstream>
#include <optional>
#include <utility>
#include <vector>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/composer/VComposer.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VLayer.h"
#include "engine/data/_token_.h"
#include "engine/shared/VDataFile.h"

namespace {

constexpr const char* kPointNames[V58ProsodicCompiler::kPointCount] = {"H",  "S1", "T1", "S2",
                                                                       "T2", "S3", "T3", "T"};

// The phrase types that have a collection of their own, in the order in
// which a phrase's "type" is tested.
constexpr const char* kPhraseTypes[] = {features::kStop, features::kComma, features::kQuestion,
                                        features::kExclamation};

constexpr const char* kStressed = features::kStressed;

// A record's text without the line end it may carry (a newline, with one
// carriage return before it).
std::string WithoutLineEnd(std::string line) {
  const std::size_t newline = line.find('\n');
  if (newline != std::string::npos) line.erase(newline);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The next field of a line cut at single delimiters; "" once the line is
// used up.
std::string NextField(const char** cursor, const char* delimiters, char* met = nullptr) {
  char* token = VStr::NextToken(cursor, delimiters, met);
  std::string field = token != nullptr ? token : "";
  VStr::Release(&token);
  return field;
}

int Index(const _token_* t) { return t->GetIndex(); }

// The syllable that holds the last character of the word that holds the
// first character of s, kept within the phrase (never past its tail). Null
// when no word or no syllable covers it.
_token_* WordEnd(VLayer* words, VLayer* syllables, const _token_* s, _token_* tail,
                 _token_** word) {
  _token_* w = words->TokenCovering(s);
  if (word != nullptr) *word = w;
  if (w == nullptr) return nullptr;
  _token_* end = syllables->locateToken(w->GetEnd());
  if (end != nullptr && Index(end) > Index(tail)) end = tail;
  return end;
}

// The phrases of one run that got no template, logged together.
class Gaps {
 public:
  void Add(const std::string& reason) {
    ++phrases_;
    for (const std::string& r : reasons_) {
      if (r == reason) return;
    }
    reasons_.push_back(reason);
  }

  void Log(const std::string& path) const {
    if (phrases_ == 0) return;
    std::string line = "V58ProsodicCompiler::Analyse()@[" + path + "] " + std::to_string(phrases_) +
                       " phrase(s) without template: ";
    for (std::size_t i = 0; i < reasons_.size(); ++i) {
      if (i > 0) line += "; ";
      line += reasons_[i];
    }
    Log::Error(line);
  }

 private:
  int phrases_ = 0;
  std::vector<std::string> reasons_;
};

}  // namespace

const char* V58ProsodicCompiler::PointName(int point) {
  return point >= 0 && point < kPointCount ? kPointNames[point] : "";
}

int V58ProsodicCompiler::PointOfName(const std::string& name) {
  for (int p = 0; p < kPointCount; ++p) {
    if (name == kPointNames[p]) return p;
  }
  return -1;
}

int V58ProsodicCompiler::PointsIn(int mask) {
  int n = 0;
  for (int p = 0; p < kPointCount; ++p) n += (mask & PointBit(p)) != 0 ? 1 : 0;
  return n;
}

int V58ProsodicCompiler::Points::Mask() const {
  int mask = 0;
  for (int p = 0; p < kPointCount; ++p) {
    if (count[static_cast<std::size_t>(p)] != 0) mask += PointBit(p);
  }
  return mask;
}

V58ProsodicCompiler::~V58ProsodicCompiler() { table_.Dump(); }

// Loading

int V58ProsodicCompiler::ParseTemplateHeader(int* mask, const char* line, bool* repeated) {
  int bits = 0;
  bool twice = false;
  int names = 0;
  if (line != nullptr) {
    const char* cursor = *line == '#' ? line + 1 : line;
    char met = ' ';
    while (met == ' ' && cursor != nullptr) {
      const std::string name = NextField(&cursor, " \t", &met);
      ++names;
      const int p = PointOfName(name);
      if (p < 0) continue;
      if ((bits & PointBit(p)) != 0) {
        twice = true;
      } else {
        bits += PointBit(p);
      }
    }
  }
  if (mask != nullptr) *mask = bits;
  if (repeated != nullptr) *repeated = twice;
  return names;
}

std::unique_ptr<V58ProsodicTemplateElement> V58ProsodicCompiler::ParseElementLine(
    const char* line) {
  if (line == nullptr) return nullptr;
  const std::string text = WithoutLineEnd(line);
  const char* cursor = text.c_str();
  std::string fields[9];
  for (std::string& field : fields) field = NextField(&cursor, "\t");
  auto number = [](const std::string& field) {
    return static_cast<float>(VLib::ParseFloat(field));
  };
  auto e = std::make_unique<V58ProsodicTemplateElement>(
      number(fields[1]), number(fields[2]), fields[3], number(fields[4]), number(fields[5]),
      number(fields[6]), fields[7], number(fields[8]));
  if (e->GetEndPosition() == 0.0f) {
    Log::Error(std::string(kSourcePath) + ":" + std::to_string(kUntilZeroLine) + ": until == 0");
  }
  return e;
}

void V58ProsodicCompiler::AddCollection(const std::string& name,
                                        std::unique_ptr<V58ProsodicCollection> c) {
  if (table_.IsFull()) {
    Log::Error("V58ProsodicCompiler::Load(const std::string& path)@[" + path_ + "] more than " +
               std::to_string(kCapacity) + " collections: [" + name + "] refused");
    return;
  }
  if (table_.Add(name, c.get())) c.release();
}

bool V58ProsodicCompiler::Load(const std::string& path) {
  path_ = path;
  std::ifstream in;
  VLib::OpenDataFile(path.c_str(), in, true);

  std::unique_ptr<V58ProsodicCollection> open;  // the open collection
  std::string openName;
  std::unique_ptr<V58ProsodicTemplate> pending;  // the template being read
  std::vector<std::string> problems;
  int untilZero = 0;
  int collections = 0;

  auto describe = [&openName](const V58ProsodicTemplate& t) {
    std::string names;
    for (int p = 0; p < kPointCount; ++p) {
      if ((t.GetMask() & PointBit(p)) != 0) names += std::string(" ") + kPointNames[p];
    }
    return "[" + openName + "]" + names + " (" + std::to_string(t.GetMask()) + ")";
  };
  auto flush = [&]() {
    if (pending == nullptr || open == nullptr) {
      pending.reset();
      return;
    }
    const int points = PointsIn(pending->GetMask());
    if (pending->GetElementCount() < points) {
      problems.push_back("template " + describe(*pending) + " has " +
                         std::to_string(pending->GetElementCount()) + " element(s) for " +
                         std::to_string(points) + " point(s)");
    }
    const std::string what = describe(*pending);
    bool replaced = false;
    open->Put(std::move(pending), &replaced);
    if (replaced) problems.push_back("template " + what + " given twice, the later one kept");
  };

  // The first record is not part of the templates. A malformed record is
  // reported by the reader and skipped; reading goes on to the end.
  VLib::ReadDataText(in, kRecordSize, true, path);
  while (in.good()) {
    const std::optional<std::string> record = VLib::ReadDataText(in, kRecordSize, true, path);
    if (!record.has_value()) continue;
    const std::string line = WithoutLineEnd(*record);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '%') {
      if (open == nullptr) {
        open = std::make_unique<V58ProsodicCollection>();
        openName = line.substr(1, line.find('\t', 1) - 1);
      } else {
        flush();
        AddCollection(openName, std::move(open));
        open.reset();
        ++collections;
      }
    } else if (line[0] == '#') {
      flush();
      if (open == nullptr) continue;
      int mask = 0;
      bool repeated = false;
      ParseTemplateHeader(&mask, line.c_str(), &repeated);
      if (repeated) {
        problems.push_back("header [" + line + "] in [" + openName +
                           "] names a point twice, refused with its elements");
      } else {
        pending = std::make_unique<V58ProsodicTemplate>(mask);
      }
    } else if (pending != nullptr) {
      const std::unique_ptr<V58ProsodicTemplateElement> e = ParseElementLine(line.c_str());
      if (e->GetEndPosition() == 0.0f) ++untilZero;
      pending->AddElement(*e, nullptr, 0, 1.0f);
    }
  }
  // A collection without its closing line is dropped with its template.

  if (collections == 0) problems.push_back("no collection");
  if (!problems.empty()) {
    std::string text = "V58ProsodicCompiler::Load(const std::string& path)@[" + path + "] ";
    for (std::size_t i = 0; i < problems.size(); ++i) {
      if (i > 0) text += "; ";
      text += problems[i];
    }
    Log::Error(text);
  }
  if (untilZero > 0) VLib::ReportError(kLocaleErrorText);
  return true;
}

// The table

const V58ProsodicCollection* V58ProsodicCompiler::GetCollection(const std::string& name) const {
  return table_.Find(name);
}

const V58ProsodicCollection* V58ProsodicCompiler::CollectionAt(int i) const {
  return i >= 0 && i < table_.Count() ? table_.ItemAt(i) : nullptr;
}

std::string V58ProsodicCompiler::CollectionNameAt(int i) const {
  return i >= 0 && i < table_.Count() ? table_.KeyAt(i) : std::string();
}

// Analysis

std::string V58ProsodicCompiler::CollectionNameOf(const _token_* phrase) {
  if (phrase != nullptr) {
    for (const char* type : kPhraseTypes) {
      if (phrase->Is(features::kType, type)) return type;
    }
  }
  return kNullCollection;
}

V58ProsodicCompiler::Points V58ProsodicCompiler::FindPoints(_token_* phrase, VLayer* words,
                                                            VLayer* syllables) {
  Points pts;
  if (phrase == nullptr || words == nullptr || syllables == nullptr || !phrase->IsSet()) {
    pts.covered = false;
    return pts;
  }
  auto& anchor = pts.anchor;
  auto& count = pts.count;

  _token_* head = syllables->locateToken(phrase->GetStart());
  _token_* tail = syllables->locateToken(phrase->GetEnd());
  anchor[kHead] = head;
  anchor[kTail] = tail;
  if (head == nullptr || tail == nullptr) {
    pts.covered = false;
    return pts;
  }
  const int n = syllables->CountBetween(phrase->GetStart(), phrase->GetEnd());
  count[kHead] = n;
  if (n > 1) {
    count[kTail] = 1;
    count[kHead] = n - 1;
  }

  // First stress and the end of its word.
  int steps = 0;
  _token_* s1 = VLayer::FindByFeature(head, tail, kStressed, features::kOn, &steps, 0);
  if (s1 == nullptr) return pts;
  anchor[kFirstStress] = s1;
  count[kHead] = steps;
  s1->Set(features::kPhrase, features::kFirstStress);
  _token_* word1 = nullptr;
  _token_* t1 = WordEnd(words, syllables, s1, tail, &word1);
  if (t1 == nullptr) {
    pts.covered = false;
    return pts;
  }
  anchor[kFirstStressEnd] = t1;
  if (t1 == s1) {
    count[kFirstStressEnd] = 0;
    count[kFirstStress] = Index(tail) - Index(s1);
  } else {
    count[kFirstStress] = Index(t1) - Index(s1);
    count[kFirstStressEnd] = Index(tail) - Index(t1);
  }
  if (s1 == head) count[kHead] = 0;
  if (s1 == tail) {
    count[kTail] = 0;
    count[kFirstStress] = 1;
  } else if (t1 == tail) {
    count[kTail] = 0;
    count[kFirstStressEnd] = 1;
  }

  // Last stress, searched from the tail back to T1.
  _token_* s3 = VLayer::FindByFeature(tail, t1, kStressed, features::kOn, &steps, 0);
  if (s3 == nullptr || s3 == s1) return pts;
  anchor[kLastStress] = s3;
  s3->Set(features::kPhrase, features::kLastStress);
  if (count[kFirstStressEnd] != 0) {
    count[kFirstStressEnd] = Index(s3) - Index(t1);
  } else {
    count[kFirstStress] = Index(s3) - Index(t1);
  }
  _token_* word3 = nullptr;
  _token_* t3 = WordEnd(words, syllables, s3, tail, &word3);
  if (t3 == nullptr) {
    pts.covered = false;
    return pts;
  }
  anchor[kLastStressEnd] = t3;
  if (t3 == s3) {
    count[kLastStressEnd] = 0;
    count[kLastStress] = Index(tail) - Index(s3);
  } else {
    count[kLastStress] = Index(t3) - Index(s3);
    count[kLastStressEnd] = Index(tail) - Index(t3);
  }
  if (count[kLastStressEnd] == 0 && t3 != s3) {
    count[kTail] = 0;
    count[kLastStressEnd] = 1;
  }
  if (s3 == tail) {
    count[kTail] = 0;
    count[kLastStress] = 1;
  }

  // Pre-last stress: back from the first syllable of the word of S3 to T1.
  if (word1 == word3) return pts;
  _token_* first3 = syllables->locateToken(word3->GetStart());
  if (first3 == nullptr) {
    pts.covered = false;
    return pts;
  }
  _token_* s2 = VLayer::FindByFeature(first3, t1, kStressed, features::kOn, &steps, 1);
  if (s2 == nullptr || s2 == s1) return pts;
  anchor[kPreLastStress] = s2;
  s2->Set(features::kPhrase, features::kPreLastStress);
  if (count[kFirstStressEnd] != 0) {
    count[kFirstStressEnd] = Index(s2) - Index(t1);
  } else {
    count[kFirstStress] = Index(s2) - Index(t1);
  }
  _token_* t2 = WordEnd(words, syllables, s2, tail, nullptr);
  if (t2 == nullptr) {
    pts.covered = false;
    return pts;
  }
  anchor[kPreLastStressEnd] = t2;
  if (t2 == s2) {
    count[kPreLastStressEnd] = 0;
    count[kPreLastStress] = Index(s3) - Index(s2);
  } else {
    count[kPreLastStress] = Index(t2) - Index(s2);
    count[kPreLastStressEnd] = Index(s3) - Index(t2);
  }
  return pts;
}

std::string V58ProsodicCompiler::AnalyseOne(VComposer* composer, _token_* phrase, VLayer* words,
                                            VLayer* syllables) const {
  const std::string name = CollectionNameOf(phrase);
  const Points pts = FindPoints(phrase, words, syllables);
  if (!pts.covered) {
    std::string text;
    if (phrase != nullptr && phrase->IsSet()) {
      text = " in [" + std::string(phrase->GetStart(), phrase->GetEnd() + 1) + "]";
    }
    return "a point that no syllable covers" + text;
  }
  const int mask = pts.Mask();

  const V58ProsodicCollection* collection = table_.Find(name);
  if (collection == nullptr) collection = CollectionAt(0);
  if (collection == nullptr) return "no collection";
  const std::string where = "[" + name + "] " + std::to_string(mask);
  const V58ProsodicTemplate* chosen = collection->Get(mask);
  if (chosen == nullptr) return where + ": no template";
  const int points = PointsIn(mask);
  if (chosen->GetElementCount() < points) {
    return where + ": " + std::to_string(chosen->GetElementCount()) + " element(s) for " +
           std::to_string(points) + " point(s)";
  }

  V58ProsodicTemplate bound;
  bound.SetComposer(composer);
  int next = 0;
  for (int p = 0; p < kPointCount; ++p) {
    const std::size_t i = static_cast<std::size_t>(p);
    if (pts.count[i] == 0) continue;
    bound.AddElement(*chosen->GetElement(next++), pts.anchor[i], pts.count[i], 1.0f);
  }
  bound.Apply();
  return std::string();
}

bool V58ProsodicCompiler::Analyse(VComposer* composer, _token_* phrase, VLayer* words,
                                  VLayer* syllables) const {
  const std::string gap = AnalyseOne(composer, phrase, words, syllables);
  if (gap.empty()) return true;
  Gaps gaps;
  gaps.Add(gap);
  gaps.Log(path_);
  return false;
}

int V58ProsodicCompiler::AnalysePhrases(VComposer* composer, VLayer* phrases, VLayer* words,
                                        VLayer* syllables) const {
  if (phrases == nullptr) return 0;
  Gaps gaps;
  int applied = 0;
  _token_* phrase = phrases->First();
  for (int i = 0; i < phrases->Size() && phrase != nullptr; ++i, phrase = phrase->GetNext()) {
    if (!phrase->IsSet()) break;
    const std::string gap = AnalyseOne(composer, phrase, words, syllables);
    if (gap.empty()) {
      ++applied;
    } else {
      gaps.Add(gap);
    }
  }
  gaps.Log(path_);
  return applied;
}
