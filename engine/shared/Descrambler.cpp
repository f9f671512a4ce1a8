#include "engine/shared/Descrambler.h"

#include <cstddef>

namespace {

// The smallest body: one whole key.
constexpr int kMinBodyLength = Descrambler::kKeyLength;
// The smallest payload field: the check byte alone.
constexpr int kMinPayloadLength = 1;

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool Descrambler::ReadLengthHeader(const Bytes& data, int& n, Bytes& out) {
  if (data.size() < static_cast<size_t>(kLengthFieldSize)) return false;
  size_t i = 0;
  while (i < static_cast<size_t>(kLengthFieldSize) && data[i] == ' ') ++i;
  const size_t firstDigit = i;
  int value = 0;
  for (; i < static_cast<size_t>(kLengthFieldSize) && IsDigit(data[i]); ++i) {
    value = value * 10 + (data[i] - '0');
  }
  if (i == firstDigit) return false;
  for (; i < static_cast<size_t>(kLengthFieldSize); ++i) {
    if (data[i] != ' ' && data[i] != '\0') return false;
  }
  if (data.size() - kLengthFieldSize < static_cast<size_t>(value)) return false;
  n = value;
  out.assign(data.begin() + kLengthFieldSize, data.begin() + kLengthFieldSize + value);
  return true;
}

std::string Descrambler::MakeKeyStream(int length) {
  std::string stream;
  if (length <= 0) return stream;
  const int repeats = (length + kKeyLength - 1) / kKeyLength;
  stream.reserve(static_cast<size_t>(repeats) * kKeyLength);
  for (int r = 0; r < repeats; ++r) stream += kKey;
  return stream;
}

bool Descrambler::Decipher(const Bytes& body, Bytes& plain) {
  // The key stream covers whole keys only.
  if (body.size() % kKeyLength != 0) return false;
  // Byte by byte, so that plain may be body itself.
  plain.resize(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    plain[i] =
        static_cast<unsigned char>(body[i] - static_cast<unsigned char>(kKey[i % kKeyLength]));
  }
  return true;
}

bool Descrambler::CheckSum(const Bytes& data) {
  if (data.empty()) return false;
  unsigned int sum = 0;
  for (size_t i = 0; i + 1 < data.size(); ++i) sum += data[i];
  return data.back() == static_cast<unsigned char>(sum & 0xFF);
}

bool Descrambler::StripCheckSum(const Bytes& data, Bytes& out) {
  if (!CheckSum(data)) return false;
  out.assign(data.begin(), data.end() - 1);
  return true;
}

bool Descrambler::Decode(const Bytes& body, const DecipherStep& decipher, Bytes& payload) {
  Bytes plain;
  if (!decipher || !decipher(body, plain)) return false;
  int m = 0;
  Bytes inner;
  if (!ReadLengthHeader(plain, m, inner) || m < kMinPayloadLength) return false;
  return StripCheckSum(inner, payload);
}

bool Descrambler::DecodeRecord(const Bytes& record, const DecodeStep& decode,
                               const DecipherStep& decipher, Bytes& payload) {
  int l = 0;
  Bytes body;
  if (!ReadLengthHeader(record, l, body) || l < kMinBodyLength) return false;
  return decode && decode(body, decipher, payload);
}

bool Descrambler::DecodeEntry(const Bytes& record, Bytes& payload) {
  return DecodeRecord(record, Decode, Decipher, payload);
}
