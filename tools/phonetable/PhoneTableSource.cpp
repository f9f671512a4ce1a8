#include "tools/phonetable/PhoneTableSource.h"

#include <map>

#include "tools/scramble/DataFileWriter.h"
#include "tools/scramble/ScrambleTool.h"
#include "tools/scramble/SourceText.h"

namespace phonetable {
namespace {

using scramble::Located;

constexpr const char* kUsage =
    "usage: tm_phonetable compile SOURCE OUTPUT\n"
    "       tm_phonetable check SOURCE\n";

// A comment starts with '#'; a row for the phone '#' goes on with a tab.
bool IsComment(const std::string& line) {
  return !line.empty() && line[0] == '#' && (line.size() == 1 || line[1] != '\t');
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

// The record text of one line: the fields, each closed by a tab.
std::string Joined(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& f : fields) text += f + '\t';
  return text;
}

bool FitsRecord(const std::vector<std::string>& fields) {
  return static_cast<int>(Joined(fields).size()) <= scramble::MaxTextLength(kRecordSize);
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Converts the fields of one line; a field that does not convert is an error.
bool ConvertFields(const std::string& file, int line, const std::vector<std::string>& utf8,
                   std::vector<std::string>& out, std::vector<std::string>& errors) {
  bool ok = true;
  out.clear();
  for (const std::string& field : utf8) {
    std::string converted;
    std::string reason;
    if (!scramble::Utf8ToCodePage(field, converted, reason)) {
      errors.push_back(Located(file, line, reason));
      ok = false;
    }
    out.push_back(converted);
  }
  return ok;
}

void LintHeader(const std::string& file, int line, const std::vector<std::string>& names,
                std::vector<std::string>& errors) {
  bool hasPhone = false;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (name.empty()) {
      errors.push_back(Located(file, line, "column " + std::to_string(i + 1) + " has no name"));
      continue;
    }
    if (name.find(':') != std::string::npos) {
      errors.push_back(Located(file, line, "column name " + Quoted(name) + " contains ':'"));
    }
    if (name == kPhoneColumn) {
      if (i == 0) {
        errors.push_back(Located(file, line,
                                 "the first column holds the symbols; " + Quoted(kPhoneColumn) +
                                     " must be another column"));
      }
      hasPhone = true;
    }
    for (size_t j = 0; j < i; ++j) {
      const std::string& other = names[j];
      if (other.empty()) continue;
      if (other == name) {
        errors.push_back(Located(file, line, "column " + Quoted(name) + " appears twice"));
      } else if (EndsWith(name, other) || EndsWith(other, name)) {
        const bool nameLonger = name.size() > other.size();
        errors.push_back(Located(file, line,
                                 "column " + Quoted(nameLonger ? name : other) +
                                     " ends with column " + Quoted(nameLonger ? other : name) +
                                     ": the engine's feature search would confuse them"));
      }
    }
  }
  if (!hasPhone) {
    errors.push_back(Located(file, line, "no column " + Quoted(kPhoneColumn)));
  }
}

}  // namespace

PhoneTableSource ParseSource(const std::string& file, const std::string& content,
                             std::vector<std::string>& errors) {
  PhoneTableSource table;
  bool haveHeader = false;
  std::vector<std::string> headerUtf8;
  std::map<char, int> symbolLines;  // symbol -> line of its first row
  for (const scramble::SourceLine& line : scramble::SplitLines(content)) {
    if (line.text.empty() || IsComment(line.text)) continue;
    const std::vector<std::string> utf8 = SplitTabs(line.text);
    std::vector<std::string> fields;
    const bool converted = ConvertFields(file, line.number, utf8, fields, errors);
    if (!haveHeader) {
      haveHeader = true;
      headerUtf8 = utf8;
      table.columns = fields;
      LintHeader(file, line.number, utf8, errors);
      if (!FitsRecord(fields)) {
        errors.push_back(Located(
            file, line.number,
            "the header does not fit a record of " + std::to_string(kRecordSize) + " bytes"));
      }
      continue;
    }
    if (fields.size() > table.columns.size()) {
      errors.push_back(Located(file, line.number,
                               "the row has " + std::to_string(fields.size()) +
                                   " fields, the header names " +
                                   std::to_string(table.columns.size()) + " columns"));
    }
    if (converted && fields[0].size() != 1) {
      errors.push_back(Located(file, line.number,
                               "symbol " + Quoted(utf8[0]) + " is not exactly one character"));
    } else if (converted) {
      const auto known = symbolLines.find(fields[0][0]);
      if (known != symbolLines.end()) {
        errors.push_back(Located(file, line.number,
                                 "symbol " + Quoted(utf8[0]) + " is already defined on line " +
                                     std::to_string(known->second)));
      } else {
        symbolLines.emplace(fields[0][0], line.number);
      }
    }
    for (size_t i = 0; i < utf8.size(); ++i) {
      if (utf8[i].find(':') == std::string::npos) continue;
      const std::string column =
          i < headerUtf8.size() ? Quoted(headerUtf8[i]) : "number " + std::to_string(i + 1);
      errors.push_back(
          Located(file, line.number,
                  "the field " + Quoted(utf8[i]) + " of column " + column + " contains ':'"));
    }
    if (!FitsRecord(fields)) {
      errors.push_back(
          Located(file, line.number,
                  "the row does not fit a record of " + std::to_string(kRecordSize) + " bytes"));
    }
    table.rows.push_back(fields);
  }
  if (!haveHeader) errors.push_back(Located(file, 1, "no header line"));
  return table;
}

std::vector<std::string> RecordTexts(const PhoneTableSource& table) {
  std::vector<std::string> texts;
  texts.push_back(Joined(table.columns));
  for (const auto& row : table.rows) texts.push_back(Joined(row));
  return texts;
}

int Check(const std::string& source, std::ostream& err) {
  std::string content;
  if (!scramble::ReadWholeFile(source, content)) {
    err << source << ": cannot read the source\n";
    return scramble::kExitRefused;
  }
  std::vector<std::string> errors;
  ParseSource(source, content, errors);
  for (const std::string& e : errors) err << e << "\n";
  return errors.empty() ? scramble::kExitOk : scramble::kExitRefused;
}

int Compile(const std::string& source, const std::string& output, std::ostream& err) {
  std::string content;
  if (!scramble::ReadWholeFile(source, content)) {
    err << source << ": cannot read the source\n";
    scramble::RemoveOutput(output);
    return scramble::kExitRefused;
  }
  std::vector<std::string> errors;
  const PhoneTableSource table = ParseSource(source, content, errors);
  if (!errors.empty()) {
    for (const std::string& e : errors) err << e << "\n";
    scramble::RemoveOutput(output);
    return scramble::kExitRefused;
  }
  std::string error;
  if (!scramble::WriteDataFile(output, RecordTexts(table), kRecordSize, error)) {
    err << output << ": " << error << "\n";
    return scramble::kExitRefused;
  }
  return scramble::kExitOk;
}

int Run(const std::vector<std::string>& args, std::ostream& /*out*/, std::ostream& err) {
  if (args.size() == 3 && args[0] == "compile") {
    if (scramble::RefusesStandardOutput("tm_phonetable", args[2], err)) return scramble::kExitUsage;
    return Compile(args[1], args[2], err);
  }
  if (args.size() == 2 && args[0] == "check") return Check(args[1], err);
  err << kUsage;
  return scramble::kExitUsage;
}

}  // namespace phonetable
