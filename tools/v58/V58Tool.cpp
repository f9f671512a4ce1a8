#include "tools/v58/V58Tool.h"

#include <sstream>

#include "platform/Codepage.h"
#include "tools/phonetable/PhoneTableSource.h"
#include "tools/scramble/DataFileWriter.h"
#include "tools/scramble/ScrambleTool.h"
#include "tools/scramble/SourceText.h"
#include "tools/v58/TemplateFile.h"
#include "tools/v58/TemplateSource.h"

namespace v58 {
namespace {

constexpr const char* kUsage =
    "usage: tm_v58 compile PHONES SOURCE OUTPUT\n"
    "       tm_v58 check PHONES FILE\n"
    "PHONES is the phone-table source whose columns the labels name.\n";

void Print(const std::vector<std::string>& errors, std::ostream& err) {
  for (const std::string& e : errors) err << e << "\n";
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ReadPhoneColumns(const std::string& phoneSource, std::vector<std::string>& columns,
                      std::vector<std::string>& errors) {
  std::string content;
  if (!scramble::ReadWholeFile(phoneSource, content)) {
    errors.push_back(phoneSource + ": cannot read the phone table");
    return false;
  }
  const std::size_t before = errors.size();
  const phonetable::PhoneTableSource table = phonetable::ParseSource(phoneSource, content, errors);
  if (errors.size() != before) return false;
  columns.clear();
  for (const std::string& c : table.columns) columns.push_back(platform::Cp1253ToUtf8(c));
  return true;
}

int Compile(const std::string& phoneSource, const std::string& source, const std::string& output,
            std::ostream& err) {
  std::vector<std::string> errors;
  std::vector<std::string> columns;
  std::string content;
  if (ReadPhoneColumns(phoneSource, columns, errors)) {
    if (!scramble::ReadWholeFile(source, content)) {
      errors.push_back(source + ": cannot read the source");
    } else {
      const std::vector<PhraseDescription> phrases = ParseSource(source, content, errors);
      if (errors.empty()) {
        const TemplateFile file = Expand(source, phrases);
        Check(file, columns, errors);
        if (errors.empty()) {
          std::vector<std::string> texts;
          for (const std::string& text :
               RecordTexts(file, "; V58 templates expanded by tm_v58 from " + BaseName(source))) {
            std::string converted;
            std::string reason;
            if (!scramble::Utf8ToCodePage(text, converted, reason)) {
              errors.push_back(source + ": " + reason);
              break;
            }
            texts.push_back(converted);
          }
          std::string error;
          if (errors.empty() && !scramble::WriteDataFile(output, texts, kRecordSize, error)) {
            err << output << ": " << error << "\n";
            return kExitRefused;
          }
        }
      }
    }
  }
  if (!errors.empty()) {
    Print(errors, err);
    scramble::RemoveOutput(output);
    return kExitRefused;
  }
  return kExitOk;
}

int CheckFile(const std::string& phoneSource, const std::string& file, std::ostream& err) {
  std::vector<std::string> errors;
  std::vector<std::string> columns;
  if (!ReadPhoneColumns(phoneSource, columns, errors)) {
    Print(errors, err);
    return kExitRefused;
  }
  // The records, as the scramble tool dumps them: one escaped line each.
  std::ostringstream dump;
  std::ostringstream dumpErrors;
  const int dumped = scramble::Dump(file, kRecordSize, dump, dumpErrors);
  err << dumpErrors.str();
  std::vector<std::string> texts;
  for (const scramble::SourceLine& line : scramble::SplitLines(dump.str())) {
    std::string text;
    std::string reason;
    if (!scramble::Unescape(line.text, text, reason)) text = line.text;
    texts.push_back(text);
  }
  if (!texts.empty()) texts.erase(texts.begin());  // the record the engine passes over
  const TemplateFile model = ReadRecordTexts(file, texts, errors);
  Check(model, columns, errors);
  Print(errors, err);
  return errors.empty() && dumped == scramble::kExitOk ? kExitOk : kExitRefused;
}

int Run(const std::vector<std::string>& args, std::ostream& /*out*/, std::ostream& err) {
  if (args.size() == 4 && args[0] == "compile") {
    if (scramble::RefusesStandardOutput("tm_v58", args[3], err)) return kExitUsage;
    return Compile(args[1], args[2], args[3], err);
  }
  if (args.size() == 3 && args[0] == "check") return CheckFile(args[1], args[2], err);
  err << kUsage;
  return kExitUsage;
}

}  // namespace v58
