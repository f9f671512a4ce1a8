// The V58 prosodic templates of one template file and the phrase analysis
// that applies them.
//
// A template file (scrambled records of 400 bytes, the first one ignored)
// holds named collections, one per phrase type ("stop", "comma",
// "question", "exclamation", "null"):
//
//   %stop                  opens the collection "stop"
//   #H S1 T                a template for the points H, S1 and T (mask 193)
//   <element line>         one per point named, in point order
//   ...
//   %                      closes the open collection
//
// Lines starting with ';' are comments. An element line has nine fields
// separated by single tabs: an unused name, then start value, start
// position, start labels, start extra, end value, end position, end labels,
// end extra (see V58ProsodicTemplateElement).
//
// The analysis finds up to eight points of a phrase on its syllables (see
// Point), marks the stressed ones ("phrase" = "firstStress",
// "preLastStress", "lastStress"), takes the template of the phrase's
// collection for exactly the points found, binds its elements to the point
// syllables and applies them to the composer's F0 cells. The analysis keeps
// its state on the stack of each call, so analyses of different composers
// may share one loaded compiler at the same time.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "engine/base/VMap.h"
#include "engine/shared/V58ProsodicCollection.h"
#include "engine/shared/V58ProsodicTemplateElement.h"

class VComposer;
class VLayer;
class _token_;

class V58ProsodicCompiler {
 public:
  // The points of a phrase, in point order; a point's bit in a mask is
  // 128 >> point.
  enum Point {
    kHead = 0,          // "H": the first syllable of the phrase
    kFirstStress,       // "S1": the first stressed syllable
    kFirstStressEnd,    // "T1": the last syllable of the word of S1
    kPreLastStress,     // "S2": the last stressed syllable before the word of S3
    kPreLastStressEnd,  // "T2": the last syllable of the word of S2
    kLastStress,        // "S3": the last stressed syllable from T1 on
    kLastStressEnd,     // "T3": the last syllable of the word of S3
    kTail,              // "T": the last syllable of the phrase
    kPointCount
  };

  static constexpr int kRecordSize = 400;
  static constexpr int kCapacity = VMap<V58ProsodicCollection>::kCapacity;

  // The source place of the log line for an element whose end position is
  // 0 ("V58ProsodicCompiler:562: until == 0"), and the report that a load
  // with such elements makes once. The number is a fixed text of the log
  // line, not a line of a file: keep it as it is.
  static constexpr const char* kSourcePath = "V58ProsodicCompiler";
  static constexpr int kUntilZeroLine = 562;
  static constexpr const char* kLocaleErrorText = "locale error";

  // The collection of a phrase whose type is none of the four.
  static constexpr const char* kNullCollection = "null";

  // The header name of a point ("H", "S1", ... "T"); "" outside the points.
  static const char* PointName(int point);
  // The point of a header name; -1 for any other text.
  static int PointOfName(const std::string& name);
  static int PointBit(int point) { return 128 >> point; }
  // The number of points in a mask.
  static int PointsIn(int mask);

  // The points of one phrase: each point's syllable (null when the point is
  // absent) and the number of syllables from it to the next point. A point
  // belongs to the mask when its count is not 0.
  struct Points {
    std::array<_token_*, kPointCount> anchor{};
    std::array<int, kPointCount> count{};
    // False when the phrase or one of the syllables the analysis needs is
    // covered by no syllable (or no word): the phrase gets no template.
    bool covered = true;
    int Mask() const;
  };

  V58ProsodicCompiler() = default;
  V58ProsodicCompiler(const V58ProsodicCompiler&) = delete;
  V58ProsodicCompiler& operator=(const V58ProsodicCompiler&) = delete;
  // Lists the collection table in the engine log and deletes the
  // collections with their templates.
  virtual ~V58ProsodicCompiler();

  // Reads a template file into the table; always true (a file that cannot
  // be read gives no collection). A malformed record goes to the error
  // report and is skipped; the records after it are read. Problems go to
  // the engine log: one line
  // per element whose end position is 0 (and then, once for the file, the
  // error report "locale error"), one line per collection refused because
  // the table is full, and one line for the whole file naming templates with
  // fewer elements than points, headers refused because they name a point
  // twice (their element lines are dropped with them), slots given twice
  // (the later template is kept) and a file without any collection.
  bool Load(const std::string& path);

  // Analyses one phrase token against the word and syllable layers of the
  // same run and applies the chosen template to the composer's intonation
  // array. The phrase gets no template when no syllable covers a point that
  // the analysis needs, when the table has no collection, when the
  // collection's slot for the phrase's mask is empty or its template has
  // fewer elements than points; then one line goes to the engine log, and
  // the "phrase" marks written stay. True when a template was applied.
  bool Analyse(VComposer* composer, _token_* phrase, VLayer* words, VLayer* syllables) const;

  // Analyse for the phrase tokens of a layer from the first to the last,
  // stopping at a token whose span is not set. The phrases that get no
  // template are logged together in one line for the whole call. Gives the
  // number of phrases that got a template.
  int AnalysePhrases(VComposer* composer, VLayer* phrases, VLayer* words, VLayer* syllables) const;

  // The points of a phrase, as the analysis finds them; marks the stressed
  // points on their syllables.
  static Points FindPoints(_token_* phrase, VLayer* words, VLayer* syllables);

  // The collection name for a phrase: its "type" when it is "stop",
  // "comma", "question" or "exclamation", else "null".
  static std::string CollectionNameOf(const _token_* phrase);

  // The mask of a template header ('#' and names separated by single blanks
  // or tabs; reading stops after the first name not followed by a blank)
  // and the number of names read. Names other than the eight add nothing.
  // repeated (may be null) tells whether a point was named twice; the mask
  // then holds each point's bit once.
  static int ParseTemplateHeader(int* mask, const char* line, bool* repeated = nullptr);

  // A new element from an element line (null for a null line). Numbers are
  // read with '.' as the decimal point whatever the process locale; a field
  // that is not a number reads as 0, a missing label as "". An end position
  // of 0 writes the line "V58ProsodicCompiler:562: until == 0" to the
  // engine log; the element is still made.
  static std::unique_ptr<V58ProsodicTemplateElement> ParseElementLine(const char* line);

  // The table.
  int CollectionCount() const { return table_.Count(); }
  // The first collection of that name; null when none.
  const V58ProsodicCollection* GetCollection(const std::string& name) const;
  const V58ProsodicCollection* CollectionAt(int i) const;
  std::string CollectionNameAt(int i) const;
  const std::string& GetPath() const { return path_; }

 private:
  // Why a phrase got no template ("" when one was applied).
  std::string AnalyseOne(VComposer* composer, _token_* phrase, VLayer* words,
                         VLayer* syllables) const;
  // Adds a loaded collection; a full table refuses it with a log line.
  void AddCollection(const std::string& name, std::unique_ptr<V58ProsodicCollection> c);

  VMap<V58ProsodicCollection> table_;
  std::string path_;
};
