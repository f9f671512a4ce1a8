#include "tools/scramble/DataFileWriter.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/shared/Descrambler.h"

namespace scramble {
namespace {

constexpr int kRecordSizes[] = {500, 400, 120};
constexpr int kField = Descrambler::kLengthFieldSize;
constexpr int kKey = Descrambler::kKeyLength;

// n (below 10^6) in six decimal digits with leading zeros.
std::string LengthField(int n) {
  std::string field(kField, '0');
  for (int i = kField - 1; i >= 0 && n > 0; --i, n /= 10)
    field[i] = static_cast<char>('0' + n % 10);
  return field;
}

}  // namespace

bool IsRecordSize(int size) {
  for (const int s : kRecordSizes) {
    if (s == size) return true;
  }
  return false;
}

std::string RecordSizeList() { return "500, 400 or 120"; }

int MaxPayload(int size) {
  const int body = (size - kField) / kKey * kKey;  // the longest L
  return body - kField - 1;                        // M - 1 with 6 + M <= L
}

int MaxTextLength(int size) { return MaxPayload(size) - 1; }

bool EncodeRecord(const std::string& payload, int size, std::string& record) {
  if (size < kField || static_cast<int>(payload.size()) > MaxPayload(size)) return false;
  const int m = static_cast<int>(payload.size()) + 1;
  const int l = (kField + m + kKey - 1) / kKey * kKey;
  unsigned int sum = 0;
  for (const char c : payload) sum += static_cast<unsigned char>(c);

  std::string plain = LengthField(m) + payload;
  plain += static_cast<char>(sum & 0xFF);
  plain.resize(static_cast<size_t>(l), '\0');

  const std::string key = Descrambler::MakeKeyStream(l);
  std::string out = LengthField(l);
  for (int i = 0; i < l; ++i) {
    out += static_cast<char>(static_cast<unsigned char>(plain[i]) +
                             static_cast<unsigned char>(key[i]));
  }
  out.resize(static_cast<size_t>(size), '\0');
  record.swap(out);
  return true;
}

bool EncodeText(const std::string& text, int size, std::string& record) {
  return EncodeRecord(text + '\0', size, record);
}

void RemoveOutput(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

bool WriteDataFile(const std::string& path, const std::vector<std::string>& texts, int size,
                   std::string& error) {
  std::string data;
  for (size_t i = 0; i < texts.size(); ++i) {
    std::string record;
    if (!EncodeText(texts[i], size, record)) {
      error = "text " + std::to_string(i + 1) + " of " + std::to_string(texts[i].size()) +
              " bytes does not fit a record of " + std::to_string(size) + " bytes (at most " +
              std::to_string(MaxTextLength(size)) + ")";
      RemoveOutput(path);
      return false;
    }
    data += record;
  }
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!data.empty()) out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
      error = "cannot write " + temporary;
      RemoveOutput(temporary);
      RemoveOutput(path);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    error = "cannot rename " + temporary + " to " + path + ": " + ec.message();
    RemoveOutput(temporary);
    RemoveOutput(path);
    return false;
  }
  return true;
}

}  // namespace scramble
