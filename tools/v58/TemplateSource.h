// The readable source of the V58 templates: per phrase type one description
// of each of the eight points, from which every template of the type's
// collection is expanded (see README.md).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tools/v58/TemplateFile.h"

namespace v58 {

// One point's description: the eight fields of its element line after the
// name, as the engine reads them (labels joined by single blanks); for a
// phrase type given in levels, only the first four (onset, end, labels,
// rise).
struct PointDescription {
  std::array<std::string, kElementFields - 1> fields;
  int line = 0;
};

struct PhraseDescription {
  std::string name;
  int line = 0;
  // The points give levels of the flat pitch ("phrase NAME levels"), from
  // which each template's factors are worked out, instead of the factors.
  bool levels = false;
  std::array<std::optional<PointDescription>, kPointCount> points;
};

// Parses a source (UTF-8). Appends one "file:line: reason" to errors per
// fault; the descriptions are complete only when errors stays empty.
std::vector<PhraseDescription> ParseSource(const std::string& file, const std::string& content,
                                           std::vector<std::string>& errors);

// The collections of the descriptions: per phrase type one template for
// every reachable mask, in ascending mask order, each with the elements of
// its points in point order (the element's first field is the point's
// name). Elements carry the place of their point's description. A type
// given in levels gets, per template, the factors that reach those levels
// whatever points the phrase has (see README.md).
TemplateFile Expand(const std::string& file, const std::vector<PhraseDescription>& phrases);

}  // namespace v58
