#include "engine/shared/Descrambler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/ScrambledRecords.h"

namespace {

using Bytes = Descrambler::Bytes;
using testing_support::MakeRecord;
using testing_support::RecordParts;

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string ToString(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Decodes a record; "<fail>" when it does not decode.
std::string Decoded(const std::string& record) {
  Bytes payload;
  if (!Descrambler::DecodeEntry(ToBytes(record), payload)) return "<fail>";
  return ToString(payload);
}

TEST(DescramblerTest, RecordOfLength20WithPayloadField9YieldsEightBytes) {
  RecordParts p;
  p.payload = "ABCDEFGH";
  const std::string plain = testing_support::PlainBody(p);
  ASSERT_EQ(plain.size(), 20u);
  ASSERT_EQ(plain.substr(0, 6), "000009");
  const std::string record = MakeRecord(p, 500);
  ASSERT_EQ(record.substr(0, 6), "000020");
  EXPECT_EQ(Decoded(record), "ABCDEFGH");
}

TEST(DescramblerTest, ABodyThatIsNoWholeNumberOfKeysIsMalformed) {
  RecordParts p;
  p.payload = "ABCDEFGH";
  p.bodyLength = 25;
  EXPECT_EQ(Decoded(MakeRecord(p, 500)), "<fail>");

  Bytes plain = ToBytes("untouched");
  EXPECT_FALSE(Descrambler::Decipher(Bytes(25, 'x'), plain));
  EXPECT_EQ(ToString(plain), "untouched");
}

TEST(DescramblerTest, AWrongCheckByteIsMalformed) {
  RecordParts p;
  p.payload = "phone\t1";
  p.checkDelta = 1;
  EXPECT_EQ(Decoded(MakeRecord(p, 500)), "<fail>");
  p.checkDelta = 0;
  EXPECT_EQ(Decoded(MakeRecord(p, 500)), "phone\t1");
}

TEST(DescramblerTest, PayloadSumOf300GivesCheckByte44) {
  EXPECT_TRUE(Descrambler::CheckSum(Bytes{200, 100, 44}));
  EXPECT_FALSE(Descrambler::CheckSum(Bytes{200, 100, 45}));
  EXPECT_FALSE(Descrambler::CheckSum(Bytes{}));
  EXPECT_TRUE(Descrambler::CheckSum(Bytes{0}));  // an empty payload sums to 0
  Bytes stripped = ToBytes("old");
  EXPECT_TRUE(Descrambler::StripCheckSum(Bytes{200, 100, 44}, stripped));
  EXPECT_EQ(stripped, (Bytes{200, 100}));
  stripped = ToBytes("old");
  EXPECT_FALSE(Descrambler::StripCheckSum(Bytes{200, 100, 43}, stripped));
  EXPECT_EQ(ToString(stripped), "old");
}

TEST(DescramblerTest, DecipherSubtractsTheKeyModulo256FromEveryRecordStart) {
  const std::string key = "KEW RINDLE";
  Bytes body(20);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<unsigned char>(i);
  Bytes plain;
  ASSERT_TRUE(Descrambler::Decipher(body, plain));
  ASSERT_EQ(plain.size(), 20u);
  for (size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(plain[i], static_cast<unsigned char>(i - static_cast<unsigned char>(key[i % 10])))
        << i;
  }
  EXPECT_EQ(Descrambler::MakeKeyStream(25), key + key + key);
}

TEST(DescramblerTest, LengthFieldIsReadFromItsSixBytesOnly) {
  struct Case {
    std::string data;
    bool ok;
    int n;
    std::string out;
  };
  const Case cases[] = {
      {"0000051234567", true, 5, "12345"},  // a digit right after the field is not read
      {"     3abc", true, 3, "abc"},
      {"3     abc", true, 3, "abc"},
      {std::string("3\0\0\0\0\0abc", 9), true, 3, "abc"},
      {"000000", true, 0, ""},
      {"000004abc", false, 0, ""},  // fewer bytes than the field says
      {"00003", false, 0, ""},      // shorter than the field
      {"      abc", false, 0, ""},  // no digits
      {"abcdef", false, 0, ""},
      {"3x    abc", false, 0, ""},
      {"3 1   abc", false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    int n = -7;
    Bytes out = ToBytes("keep");
    EXPECT_EQ(Descrambler::ReadLengthHeader(ToBytes(c.data), n, out), c.ok);
    EXPECT_EQ(n, c.ok ? c.n : -7);
    EXPECT_EQ(ToString(out), c.ok ? c.out : "keep");
  }
}

// Records whose lengths are out of range or not numbers never decode, and
// decoding never reads past the record.
TEST(DescramblerTest, LengthsOutOfRangeOrNotDigitsAreMalformed) {
  struct Case {
    const char* what;
    RecordParts parts;
    int size;
  };
  const auto parts = [](int bodyLength, const std::string& lField, const std::string& mField) {
    RecordParts p;
    p.payload = "abc";
    p.bodyLength = bodyLength;
    p.lField = lField;
    p.mField = mField;
    return p;
  };
  const Case cases[] = {
      {"L = 0", parts(0, "", ""), 120},
      {"L = 5", parts(5, "", ""), 120},
      {"L beyond the record", parts(120, "", ""), 120},
      {"L field of letters", parts(-1, "0000x0", ""), 120},
      {"L field blank", parts(-1, "      ", ""), 120},
      {"L field negative", parts(-1, "-00010", ""), 120},
      {"M = 0", parts(-1, "", "000000"), 120},
      {"M beyond the body", parts(-1, "", "000005"), 120},
      {"M field of letters", parts(-1, "", "00000a"), 120},
      {"M field blank", parts(-1, "", "      "), 120},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decoded(MakeRecord(c.parts, c.size)), "<fail>") << c.what;
  }

  // The largest body that a record of 120 bytes holds: L = 110, M = 104.
  RecordParts largest;
  largest.payload = std::string(103, 'x');
  const std::string record = MakeRecord(largest, 120);
  ASSERT_EQ(record.substr(0, 6), "000110");
  EXPECT_EQ(Decoded(record), largest.payload);
  // The same record cut to fewer bytes than its body.
  EXPECT_EQ(Decoded(record.substr(0, 115)), "<fail>");

  // M may be 1: an empty payload.
  RecordParts empty;
  EXPECT_EQ(Decoded(MakeRecord(empty, 120)), "");
}

TEST(DescramblerTest, DecodeTakesTheDecipheringStepGiven) {
  // With a step that leaves the body alone, a plain body decodes as it stands.
  RecordParts p;
  p.payload = "xyz";
  const Descrambler::DecipherStep identity = [](const Bytes& body, Bytes& out) {
    out = body;
    return true;
  };
  Bytes payload;
  ASSERT_TRUE(Descrambler::Decode(ToBytes(testing_support::PlainBody(p)), identity, payload));
  EXPECT_EQ(ToString(payload), "xyz");
  // A record of zeros does not decode and leaves the payload alone.
  payload = ToBytes("keep");
  EXPECT_FALSE(Descrambler::DecodeEntry(ToBytes(std::string(120, '\0')), payload));
  EXPECT_EQ(ToString(payload), "keep");
}

}  // namespace
