#include "engine/shared/VDataFile.h"

#include <cstring>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/shared/Descrambler.h"
#include "support/utilities.h"

namespace VLib {
namespace {

constexpr const char* kUnnamedStream = "(unnamed stream)";

bool ReadPlainLine(std::istream& in, int size, char** out) {
  VStr::Release(out);
  *out = VStr::Allocate(size);
  char* line = *out;
  const int room = size - 1;
  int stored = 0;
  bool consumed = false;
  bool endedByLineFeed = false;
  while (stored < room) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    consumed = true;
    if (c == '\n') {
      endedByLineFeed = true;
      break;
    }
    line[stored++] = static_cast<char>(c);
  }
  // A line that filled the block exactly still owns its line feed.
  if (stored == room && !endedByLineFeed && in.good() && in.peek() == '\n') {
    in.get();
    consumed = true;
    endedByLineFeed = true;
  }
  if (endedByLineFeed && stored > 0 && line[stored - 1] == '\r') line[--stored] = '\0';
  return consumed;
}

bool ReadScrambledRecord(std::istream& in, int size, char** out, const std::string& fileName) {
  Descrambler::Bytes record(static_cast<size_t>(size));
  in.read(reinterpret_cast<char*>(record.data()), size);
  const std::streamsize got = in.gcount();
  if (got == 0) return false;
  if (got < size) {
    ReportError(kBandwidthErrorText + fileName);
    return false;
  }
  Descrambler::Bytes payload;
  if (!Descrambler::DecodeEntry(record, payload)) {
    ReportError(kMalformedEntryText + fileName);
    return false;
  }
  char* block = new char[payload.size() + 1];
  if (!payload.empty()) std::memcpy(block, payload.data(), payload.size());
  block[payload.size()] = '\0';
  VStr::Release(out);
  *out = block;
  return true;
}

}  // namespace

bool OpenDataFile(const char* name, std::ifstream& in, bool scrambled) {
  const std::string path = name != nullptr ? name : "";
  if (!UTILITIES::isFile(path)) {
    ReportError(kReadErrorText + path);
    return false;
  }
  if (in.is_open()) {
    in.setstate(std::ios::failbit);
  } else {
    in.open(path, scrambled ? std::ios::in | std::ios::binary : std::ios::in);
  }
  return in.good();
}

bool ReadDataEntry(std::istream& in, int size, char** out, bool scrambled,
                   const std::string& fileName) {
  if (out == nullptr || !in.good()) return false;
  if (size < (scrambled ? 1 : 2)) {
    // No entry fits: stop the reader's loop instead of letting it spin.
    in.setstate(std::ios::failbit);
    return false;
  }
  if (!scrambled) return ReadPlainLine(in, size, out);
  return ReadScrambledRecord(in, size, out, fileName);
}

bool ReadDataEntry(std::istream& in, int size, char** out, bool scrambled) {
  return ReadDataEntry(in, size, out, scrambled, kUnnamedStream);
}

std::optional<std::string> ReadDataText(std::istream& in, int size, bool scrambled,
                                        const std::string& fileName) {
  char* block = nullptr;
  const bool ok = ReadDataEntry(in, size, &block, scrambled, fileName);
  std::optional<std::string> text;
  if (ok) text = std::string(block);
  VStr::Release(&block);
  return text;
}

}  // namespace VLib
