#include "tools/v58/TemplateFile.h"

#include <algorithm>

#include "engine/base/VLib.h"

namespace v58 {
namespace {

constexpr const char* kPointNames[kPointCount] = {"H", "S1", "T1", "S2", "T2", "S3", "T3", "T"};

// The field numbers (counted from 1) of an element line.
constexpr int kNumberFields[] = {2, 3, 5, 6, 7, 9};
constexpr int kLabelFields[] = {4, 8};
constexpr int kEndPositionField = 7;

std::vector<std::string> Split(const std::string& text, char delimiter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(delimiter, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

std::string Joined(const std::vector<std::string>& parts, const std::string& delimiter) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? delimiter : "") + parts[i];
  return text;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

class Errors {
 public:
  explicit Errors(std::vector<std::string>& out) : out_(out) {}
  void Add(const std::string& origin, const std::string& reason) {
    const std::string text = origin + ": " + reason;
    if (std::find(out_.begin(), out_.end(), text) == out_.end()) out_.push_back(text);
  }

 private:
  std::vector<std::string>& out_;
};

void CheckLabels(const ElementLine& e, int field, const std::vector<std::string>& columns,
                 Errors& errors) {
  const std::string& text = e.fields[static_cast<std::size_t>(field - 1)];
  if (text.empty()) return;
  const std::string where = "field " + std::to_string(field) + " (labels) ";
  for (const std::string& label : Split(text, ' ')) {
    const std::size_t colon = label.find(':');
    if (label.empty()) {
      errors.Add(e.origin, where + Quoted(text) + " has an empty label (the engine stops there)");
      return;
    }
    if (colon == std::string::npos || colon == 0 || colon + 1 == label.size()) {
      errors.Add(e.origin, where + "label " + Quoted(label) + " is not name:value");
      continue;
    }
    const std::string name = label.substr(0, colon);
    if (std::find(columns.begin(), columns.end(), name) == columns.end()) {
      errors.Add(e.origin, where + "label " + Quoted(label) + ": " + Quoted(name) +
                               " is not a column of the phone table");
    }
  }
}

void CheckElement(const ElementLine& e, const std::vector<std::string>& columns, Errors& errors) {
  if (e.fields.size() != static_cast<std::size_t>(kElementFields)) {
    errors.Add(e.origin, "element line of " + std::to_string(e.fields.size()) + " fields, " +
                             std::to_string(kElementFields) + " expected");
    return;
  }
  for (const int field : kNumberFields) {
    const std::string& text = e.fields[static_cast<std::size_t>(field - 1)];
    if (!IsNumber(text)) {
      errors.Add(e.origin,
                 "field " + std::to_string(field) + " " + Quoted(text) + " is not a number");
    }
  }
  const std::string& end = e.fields[kEndPositionField - 1];
  if (IsNumber(end) && VLib::ParseFloat(end) == 0.0) {
    errors.Add(e.origin,
               "field 7 (the end position) is 0: the engine logs \"until == 0\" and "
               "reports a locale error");
  }
  for (const int field : kLabelFields) CheckLabels(e, field, columns, errors);
}

void CheckTemplate(const Collection& c, const Template& t, const std::vector<std::string>& columns,
                   Errors& errors) {
  const std::string what = "template [" + c.name + "] #" + Joined(t.names, " ");
  int mask = 0;
  int points = 0;
  for (const std::string& name : t.names) {
    if (name.find('\t') != std::string::npos) {
      errors.Add(t.origin, what + ": a tab ends the header for the engine");
      continue;
    }
    const int p = PointOfName(name);
    if (p < 0) {
      errors.Add(t.origin, what + ": " + Quoted(name) + " is not a point");
      continue;
    }
    if ((mask & PointBit(p)) != 0) {
      errors.Add(t.origin, what + ": point " + name + " is named twice");
      continue;
    }
    mask |= PointBit(p);
    ++points;
  }
  if (static_cast<int>(t.elements.size()) != points) {
    errors.Add(t.origin, what + ": " + std::to_string(t.elements.size()) + " element(s) for " +
                             std::to_string(points) + " point(s)");
  }
  for (const ElementLine& e : t.elements) CheckElement(e, columns, errors);
}

// The mask of a header whose names are all distinct points; -1 otherwise.
int MaskOf(const Template& t) {
  int mask = 0;
  for (const std::string& name : t.names) {
    const int p = PointOfName(name);
    if (p < 0 || (mask & PointBit(p)) != 0) return -1;
    mask |= PointBit(p);
  }
  return mask;
}

}  // namespace

const char* PointName(int p) { return p >= 0 && p < kPointCount ? kPointNames[p] : ""; }

int PointOfName(const std::string& name) {
  for (int p = 0; p < kPointCount; ++p) {
    if (name == kPointNames[p]) return p;
  }
  return -1;
}

std::string MaskNames(int mask) {
  std::vector<std::string> names;
  for (int p = 0; p < kPointCount; ++p) {
    if ((mask & PointBit(p)) != 0) names.emplace_back(kPointNames[p]);
  }
  return Joined(names, " ");
}

const std::vector<int>& ReachableMasks() {
  static const std::vector<int> masks = [] {
    const int h = PointBit(0), s1 = PointBit(1), t1 = PointBit(2), s2 = PointBit(3),
              t2 = PointBit(4), s3 = PointBit(5), t3 = PointBit(6), t = PointBit(7);
    std::vector<int> out = {h, h | t};
    const int lastStresses[] = {
        0, s3, s3 | t3, s2 | s3, s2 | s3 | t3, s2 | t2 | s3, s2 | t2 | s3 | t3};
    for (const int head : {0, h}) {
      for (const int end1 : {0, t1}) {
        for (const int tail : {0, t}) {
          for (const int last : lastStresses) out.push_back(s1 | head | end1 | tail | last);
        }
      }
    }
    std::sort(out.begin(), out.end());
    return out;
  }();
  return masks;
}

const std::vector<std::string>& PhraseTypes() {
  static const std::vector<std::string> types = {"stop", "comma", "question", "exclamation",
                                                 "null"};
  return types;
}

bool IsNumber(const std::string& text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  return digits > 0 && i == text.size();
}

std::vector<std::string> RecordTexts(const TemplateFile& file, const std::string& firstRecord) {
  std::vector<std::string> texts = {firstRecord};
  for (const Collection& c : file) {
    texts.push_back("%" + c.name);
    for (const Template& t : c.templates) {
      texts.push_back("#" + Joined(t.names, " "));
      for (const ElementLine& e : t.elements) texts.push_back(Joined(e.fields, "\t"));
    }
    texts.push_back("%");
  }
  return texts;
}

TemplateFile ReadRecordTexts(const std::string& fileName, const std::vector<std::string>& texts,
                             std::vector<std::string>& errors) {
  TemplateFile file;
  bool open = false;
  Errors report(errors);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string origin = fileName + ": record " + std::to_string(i + 2);
    const std::string& line = texts[i];
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '%') {
      if (!open) {
        file.push_back(Collection{line.substr(1, line.find('\t', 1) - 1), origin, {}});
      }
      open = !open;
    } else if (line[0] == '#') {
      if (!open) {
        report.Add(origin, "header " + Quoted(line) + " outside a collection");
        continue;
      }
      // Names at single blanks; the engine stops at the first tab.
      file.back().templates.push_back(Template{Split(line.substr(1), ' '), origin, {}});
    } else if (!open || file.back().templates.empty()) {
      report.Add(origin, "element line outside a template");
    } else {
      file.back().templates.back().elements.push_back(ElementLine{Split(line, '\t'), origin});
    }
  }
  if (open) {
    report.Add(file.back().origin,
               "collection [" + file.back().name + "] is not closed: the engine drops it");
    file.pop_back();
  }
  return file;
}

void Check(const TemplateFile& file, const std::vector<std::string>& columns,
           std::vector<std::string>& errors) {
  Errors report(errors);
  for (std::size_t i = 0; i < file.size(); ++i) {
    const Collection& c = file[i];
    const std::vector<std::string>& types = PhraseTypes();
    if (std::find(types.begin(), types.end(), c.name) == types.end()) {
      report.Add(c.origin, "collection " + Quoted(c.name) + " is none of " + Joined(types, ", "));
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (file[j].name == c.name) {
        report.Add(c.origin, "collection [" + c.name + "] given twice (the engine uses the first)");
        break;
      }
    }
    std::vector<bool> present(256, false);
    for (const Template& t : c.templates) {
      CheckTemplate(c, t, columns, report);
      const int mask = MaskOf(t);
      if (mask < 0) continue;
      if (present[static_cast<std::size_t>(mask)]) {
        report.Add(t.origin, "template [" + c.name + "] #" + MaskNames(mask) +
                                 " given twice (the engine keeps the later one)");
      }
      present[static_cast<std::size_t>(mask)] = true;
    }
    for (const int mask : ReachableMasks()) {
      if (!present[static_cast<std::size_t>(mask)]) {
        report.Add(c.origin, "collection [" + c.name + "] has no template for #" + MaskNames(mask) +
                                 " (" + std::to_string(mask) + ")");
      }
    }
  }
}

}  // namespace v58
