#include "tools/scramble/ScrambleTool.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/shared/Descrambler.h"
#include "platform/Codepage.h"
#include "tools/scramble/DataFileWriter.h"
#include "tools/scramble/SourceText.h"

namespace scramble {
namespace {

constexpr const char* kUsage =
    "usage: tm_scramble write SOURCE OUTPUT SIZE\n"
    "       tm_scramble dump FILE SIZE\n"
    "SIZE is the record size: 500 (phone table), 400 (V58 templates) or 120\n"
    "(tri-state rules, tree lexicons).\n";

// The text of a payload: up to its terminating zero, or all of it.
std::string PayloadText(const Descrambler::Bytes& payload) {
  std::string text(payload.begin(), payload.end());
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace

bool RefusesStandardOutput(const std::string& tool, const std::string& output, std::ostream& err) {
  if (output != "-") return false;
  err << tool << ": OUTPUT \"-\" is refused: the data file is binary and goes to a named file, "
      << "not to standard output\n";
  return true;
}

bool ParseRecordSize(const std::string& text, int& size, std::string& error) {
  const bool digits = !text.empty() && text.size() <= 4 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  const int value = digits ? std::stoi(text) : -1;
  if (!IsRecordSize(value)) {
    error = "record size " + text + " is not " + RecordSizeList();
    return false;
  }
  size = value;
  return true;
}

std::vector<std::string> ReadPayloadSource(const std::string& file, const std::string& content,
                                           int size, std::vector<std::string>& errors) {
  std::vector<std::string> texts;
  for (const SourceLine& line : SplitLines(content)) {
    std::string converted;
    std::string text;
    std::string reason;
    if (!Utf8ToCodePage(line.text, converted, reason) || !Unescape(converted, text, reason)) {
      errors.push_back(Located(file, line.number, reason));
      continue;
    }
    if (static_cast<int>(text.size()) > MaxTextLength(size)) {
      errors.push_back(Located(file, line.number,
                               "text of " + std::to_string(text.size()) +
                                   " bytes does not fit a record of " + std::to_string(size) +
                                   " bytes (at most " + std::to_string(MaxTextLength(size)) + ")"));
      continue;
    }
    texts.push_back(text);
  }
  return texts;
}

int Write(const std::string& source, const std::string& output, int size, std::ostream& err) {
  std::string content;
  if (!ReadWholeFile(source, content)) {
    err << source << ": cannot read the source\n";
    RemoveOutput(output);
    return kExitRefused;
  }
  std::vector<std::string> errors;
  const std::vector<std::string> texts = ReadPayloadSource(source, content, size, errors);
  if (!errors.empty()) {
    for (const std::string& e : errors) err << e << "\n";
    RemoveOutput(output);
    return kExitRefused;
  }
  std::string error;
  if (!WriteDataFile(output, texts, size, error)) {
    err << output << ": " << error << "\n";
    return kExitRefused;
  }
  return kExitOk;
}

int Dump(const std::string& file, int size, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  std::ifstream in;
  if (std::filesystem::is_regular_file(file, ec)) in.open(file, std::ios::binary);
  if (!in.is_open()) {
    err << file << ": cannot read the file\n";
    return kExitRefused;
  }
  int result = kExitOk;
  for (int number = 1;; ++number) {
    Descrambler::Bytes record(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(record.data()), size);
    const std::streamsize got = in.gcount();
    if (got == 0) break;
    if (got < size) {
      err << Located(file, number, "short record of " + std::to_string(got) + " bytes") << "\n";
      return kExitRefused;
    }
    Descrambler::Bytes payload;
    if (!Descrambler::DecodeEntry(record, payload)) {
      err << Located(file, number, "malformed entry") << "\n";
      result = kExitRefused;
      continue;
    }
    out << platform::Cp1253ToUtf8(Escape(PayloadText(payload))) << "\n";
  }
  return result;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const bool write = args.size() == 4 && args[0] == "write";
  const bool dump = args.size() == 3 && args[0] == "dump";
  if (!write && !dump) {
    err << kUsage;
    return kExitUsage;
  }
  if (write && RefusesStandardOutput("tm_scramble", args[2], err)) return kExitUsage;
  int size = 0;
  std::string error;
  if (!ParseRecordSize(args.back(), size, error)) {
    err << "tm_scramble: " << error << "\n";
    if (write) RemoveOutput(args[2]);
    return kExitUsage;
  }
  if (write) return Write(args[1], args[2], size, err);
  return Dump(args[1], size, out, err);
}

}  // namespace scramble
