// The V58 template files of the engine as a model: collections of templates,
// each a header naming its points and one element line per point. The model
// holds the texts as the engine reads them (UTF-8 here, Windows-1253 in the
// file), with the place each came from for messages; it is written as record
// texts, read back from them, and checked.
#pragma once

#include <string>
#include <vector>

namespace v58 {

// The engine reads V58 template files in records of this size.
constexpr int kRecordSize = 400;
// The number of points of a phrase and the fields of an element line.
constexpr int kPointCount = 8;
constexpr int kElementFields = 9;

// The header name of point p (0 "H" to 7 "T"); "" outside.
const char* PointName(int p);
// The point of a header name; -1 for any other text.
int PointOfName(const std::string& name);
// The bit of point p in a mask (128 >> p).
inline int PointBit(int p) { return 128 >> p; }
// The header names of a mask in point order, joined by single blanks.
std::string MaskNames(int mask);

// The point masks that the engine's phrase analysis can give, ascending
// (58 of them): H alone or with T (no stressed syllable); otherwise S1 with
// or without H, T1 and T, and after it nothing, S3, S3 T3, S2 S3, S2 S3 T3,
// S2 T2 S3 or S2 T2 S3 T3.
const std::vector<int>& ReachableMasks();

// The collection names that the analysis asks for.
const std::vector<std::string>& PhraseTypes();

struct ElementLine {
  std::vector<std::string> fields;  // 9 for a well-formed line
  std::string origin;               // "file:line" or "file: record n"
};

struct Template {
  std::vector<std::string> names;  // the header's names
  std::string origin;
  std::vector<ElementLine> elements;
};

struct Collection {
  std::string name;
  std::string origin;
  std::vector<Template> templates;
};

using TemplateFile = std::vector<Collection>;

// The record texts of a file: the first record (which the engine passes
// over), then per collection its opening line "%name", per template its
// header "#names" and its element lines (fields joined by tabs), and the
// closing line "%".
std::vector<std::string> RecordTexts(const TemplateFile& file, const std::string& firstRecord);

// Reads record texts (the first one excluded) the way the engine does;
// record numbers in origins count the first record as 1. Lines that the
// engine would pass over without adding anything (an element line outside a
// template, a header outside a collection, a collection that is never
// closed) are appended to errors as "file: record n: reason".
TemplateFile ReadRecordTexts(const std::string& fileName, const std::vector<std::string>& texts,
                             std::vector<std::string>& errors);

// Checks every collection and template against the phone table's columns:
// a known collection name given once; every reachable mask present; header
// names that are points, none named twice, a header without tabs; one
// element line of nine fields per point; numbers in fields 2, 3, 5, 6, 7
// and 9; field 7 (the end position) not 0; labels in fields 4 and 8 that are
// "name:value" texts separated by single blanks, each name a column.
// Appends one "origin: reason" per fault (the same text only once).
void Check(const TemplateFile& file, const std::vector<std::string>& columns,
           std::vector<std::string>& errors);

// Whether text is a decimal number as the files write it: an optional sign,
// digits with an optional '.' and more digits (at least one digit).
bool IsNumber(const std::string& text);

}  // namespace v58
