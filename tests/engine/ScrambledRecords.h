// Builds scrambled records by hand for the tests of the data-file readers:
// every field can be chosen, so that broken records can be made too.
#pragma once

#include <string>

namespace testing_support {

constexpr const char* kRecordKey = "KEW RINDLE";

// Six characters holding n in decimal with leading zeros.
inline std::string LengthField(int n) {
  std::string digits = std::to_string(n);
  return std::string(6 - digits.size(), '0') + digits;
}

// The low 8 bits of the sum of the bytes of text.
inline unsigned char SumByte(const std::string& text) {
  unsigned int sum = 0;
  for (const char c : text) sum += static_cast<unsigned char>(c);
  return static_cast<unsigned char>(sum & 0xFF);
}

// Enciphers a plain body with the key, restarting at its first character.
inline std::string Encipher(const std::string& plain) {
  std::string body = plain;
  for (size_t i = 0; i < body.size(); ++i) {
    body[i] = static_cast<char>(static_cast<unsigned char>(plain[i]) +
                                static_cast<unsigned char>(kRecordKey[i % 10]));
  }
  return body;
}

struct RecordParts {
  std::string payload;
  int bodyLength = -1;  // L; -1: the payload's body rounded up to a multiple of 10
  std::string lField;   // the record's length field as stored; empty: L in six digits
  std::string mField;   // the body's length field as stored; empty: M in six digits
  int checkDelta = 0;   // added to the check byte
};

// The plain body (M field, payload, check byte, zero bytes up to L).
inline std::string PlainBody(const RecordParts& p) {
  const int m = static_cast<int>(p.payload.size()) + 1;
  std::string plain = (p.mField.empty() ? LengthField(m) : p.mField) + p.payload;
  plain += static_cast<char>(SumByte(p.payload) + p.checkDelta);
  const int l = p.bodyLength >= 0 ? p.bodyLength : (static_cast<int>(plain.size()) + 9) / 10 * 10;
  plain.resize(static_cast<size_t>(l), '\0');
  return plain;
}

// The whole record of size bytes (cut or zero-padded to size).
inline std::string MakeRecord(const RecordParts& p, int size) {
  const std::string plain = PlainBody(p);
  std::string record =
      (p.lField.empty() ? LengthField(static_cast<int>(plain.size())) : p.lField) + Encipher(plain);
  record.resize(static_cast<size_t>(size), '\0');
  return record;
}

// A well-formed record of size bytes whose payload is text and its zero.
inline std::string TextRecord(const std::string& text, int size) {
  RecordParts p;
  p.payload = text + std::string(1, '\0');
  return MakeRecord(p, size);
}

}  // namespace testing_support
