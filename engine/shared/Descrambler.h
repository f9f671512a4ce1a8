// Decoding of one scrambled record of a data file.
//
// A record of S bytes holds a 6-byte decimal length L, then L enciphered
// bytes (the body), then padding. The body, once deciphered with the key
// (repeated from its first character in every record), holds a 6-byte
// decimal length M, then M - 1 payload bytes and a check byte: the low
// 8 bits of the sum of the payload bytes.
//
// The steps are chained through function parameters: the outer step cuts
// the body out of the record and hands it to a decoding step, which is given
// the deciphering step.
#pragma once

#include <functional>
#include <string>
#include <vector>

class Descrambler {
 public:
  using Bytes = std::vector<unsigned char>;
  // Turns an enciphered body into the plain body; false when it cannot.
  using DecipherStep = std::function<bool(const Bytes& body, Bytes& plain)>;
  // Turns an enciphered body into the payload, deciphering with the step given.
  using DecodeStep =
      std::function<bool(const Bytes& body, const DecipherStep& decipher, Bytes& payload)>;

  static constexpr const char* kKey = "KEW RINDLE";
  static constexpr int kKeyLength = 10;
  // The size of the decimal length fields in front of the body and the payload.
  static constexpr int kLengthFieldSize = 6;

  // Reads the decimal length field at the start of data: optional leading
  // blanks, then digits, then nothing but blanks or zero bytes up to the end
  // of the field; never more than its 6 bytes. On success n receives the
  // length and out the n bytes that follow the field. False (n and out
  // unchanged) when data is shorter than the field, when the field holds no
  // number of that form, or when fewer than n bytes follow it.
  static bool ReadLengthHeader(const Bytes& data, int& n, Bytes& out);

  // The key repeated often enough to cover length bytes: a whole number of
  // keys, so longer than length when length is not a multiple of 10.
  static std::string MakeKeyStream(int length);

  // plain[i] = body[i] - key[i mod 10], modulo 256. False (plain unchanged)
  // when the body's length is not a whole multiple of the key's length.
  static bool Decipher(const Bytes& body, Bytes& plain);

  // Whether the last byte of data is the low 8 bits of the sum of the bytes
  // before it; false for empty data.
  static bool CheckSum(const Bytes& data);

  // All bytes of data but the last, when CheckSum holds; else false and out
  // unchanged.
  static bool StripCheckSum(const Bytes& data, Bytes& out);

  // The plain-body steps: deciphers body with the step given, reads the
  // payload's length field M (1 <= M <= L - 6) and strips the check byte.
  static bool Decode(const Bytes& body, const DecipherStep& decipher, Bytes& payload);

  // The outer step: reads the record's length field L (10 <= L <= size - 6)
  // and hands the body to decode, which is given decipher.
  static bool DecodeRecord(const Bytes& record, const DecodeStep& decode,
                           const DecipherStep& decipher, Bytes& payload);

  // One complete record: DecodeRecord with Decode and Decipher. On success
  // payload receives the M - 1 payload bytes; on failure it is unchanged.
  static bool DecodeEntry(const Bytes& record, Bytes& payload);
};
