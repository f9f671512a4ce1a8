// Scrambled records and the data-file readers; records are built by hand
// here so that every field can be broken.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/Descrambler.h"
#include "engine/shared/VDataFile.h"
#include "tests/common/Installation.h"

namespace {

using Bytes = Descrambler::Bytes;

std::string Digits(int n) {
  return std::string(6 - std::to_string(n).size(), '0') + std::to_string(n);
}

// A record of 120 bytes: the L field, then the body enciphered with the key (M field,
// payload, check byte, zeros up to L, a multiple of ten unless given; empty fields right).
std::string Record(const std::string& payload, std::string lField = "", std::string mField = "",
                   int checkDelta = 0, int bodyLength = -1) {
  unsigned sum = 0;
  for (char c : payload) sum += static_cast<unsigned char>(c);
  std::string plain = (mField.empty() ? Digits(static_cast<int>(payload.size()) + 1) : mField) +
                      payload + static_cast<char>((sum + checkDelta) & 0xFF);
  plain.resize(bodyLength >= 0 ? bodyLength : (plain.size() + 9) / 10 * 10, '\0');
  const char* key = "KEW RINDLE";
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(plain[i] + key[i % 10]);
  std::string record = (lField.empty() ? Digits(static_cast<int>(plain.size())) : lField) + plain;
  record.resize(120, '\0');
  return record;
}

std::string Decoded(const std::string& record) {
  Bytes payload;
  if (!Descrambler::DecodeEntry(Bytes(record.begin(), record.end()), payload)) return "<fail>";
  return std::string(payload.begin(), payload.end());
}

TEST(DescramblerTest, RecordsDecodeAndBrokenLengthsOrCheckBytesAreMalformed) {
  EXPECT_EQ(Decoded(Record("")), "");
  const std::string largest(103, 'x');  // the largest body of 120 bytes: L = 110
  EXPECT_EQ(Decoded(Record(largest)), largest);
  EXPECT_EQ(Decoded(Record(largest).substr(0, 115)), "<fail>");
  const std::string malformed[] = {
      Record("abc", "", "", 1),      Record("abc", "", "", 0, 25), Record("abc", "", "", 0, 0),
      Record("abc", "", "", 0, 120), Record("abc", "0000x0"),      Record("abc", "      "),
      Record("abc", "-00010"),       Record("abc", "", "000000"),  Record("abc", "", "000005"),
      Record("abc", "", "      "),
  };
  for (const std::string& record : malformed)
    EXPECT_EQ(Decoded(record), "<fail>") << record.substr(0, 6);
}

TEST(DescramblerTest, TheLengthFieldIsReadFromItsSixBytesOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"0000051234567", "12345"}, {"     3abc", "abc"},   {std::string("3\0\0\0\0\0abc", 9), "abc"},
      {"000004abc", "<fail>"},    {"00003", "<fail>"},    {"      abc", "<fail>"},
      {"3x    abc", "<fail>"},    {"3 1   abc", "<fail>"}};
  for (const auto& [data, expected] : cases) {
    int n = -7;
    Bytes out;
    const bool ok = Descrambler::ReadLengthHeader(Bytes(data.begin(), data.end()), n, out);
    EXPECT_EQ(ok ? std::string(out.begin(), out.end()) : "<fail>", expected) << data;
  }
}

class VDataFileTest : public testing::Test {
 protected:
  ~VDataFileTest() override { VStr::Release(&out_); }

  testing_support::Installation inst_;
  testing_support::MessageRecorder boxes_;
  std::string path_ = inst_.path("data.bin");
  char* out_ = nullptr;
};

TEST_F(VDataFileTest, AMalformedRecordIsReportedWithItsFileAndReadingGoesOnToTheEnd) {
  testing_support::WriteFile(
      path_, Record(std::string("A") + '\0') + Record("bad", "", "", 1) + Record("long", "000500") +
                 Record(std::string("ABCDEFGH") + std::string(20, 'Q')) + std::string(10, 'z'));
  std::ifstream in;
  ASSERT_TRUE(VLib::OpenDataFile(path_.c_str(), in, true));
  ASSERT_TRUE(VLib::ReadDataEntry(in, 120, &out_, true, path_));
  EXPECT_STREQ(out_, "A");
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path_));
  EXPECT_EQ(VLib::ReadDataText(in, 120, true, path_), std::nullopt);
  // The payload has no zero of its own; the block gets one.
  ASSERT_TRUE(VLib::ReadDataEntry(in, 120, &out_, true, path_));
  EXPECT_EQ(std::string(out_), "ABCDEFGH" + std::string(20, 'Q'));
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path_));
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path_));
  EXPECT_EQ(boxes_.reports(), (std::vector<std::string>{"malformed entry in file " + path_,
                                                        "malformed entry in file " + path_,
                                                        "bandwidth error in file " + path_}));
}

TEST_F(VDataFileTest, OnlyARegularFileOpensAndAnOpenStreamIsNotReopened) {
  std::ifstream in;
  EXPECT_FALSE(VLib::OpenDataFile(inst_.dir().c_str(), in, true));
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, inst_.dir()));
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"Error reading file " + inst_.dir()});
  std::ifstream open;
  testing_support::WriteFile(path_, Record("x"));
  ASSERT_TRUE(VLib::OpenDataFile(path_.c_str(), open, true));
  EXPECT_FALSE(VLib::OpenDataFile(path_.c_str(), open, true));
}

TEST_F(VDataFileTest, PlainLinesLoseOneCarriageReturnBeforeTheLineFeedAndLongOnesAreCut) {
  std::istringstream in("abcdefgh\nx\r\n\r\n12345\r\nlast\r");  // at most five characters a call
  std::vector<std::string> lines;
  while (VLib::ReadDataEntry(in, 6, &out_, false, "lines")) lines.emplace_back(out_);
  EXPECT_EQ(lines, (std::vector<std::string>{"abcde", "fgh", "x", "", "12345", "", "last\r"}));
  std::istringstream small("abc\n");
  EXPECT_FALSE(VLib::ReadDataEntry(small, 1, &out_, false, "p"));  // no entry fits
  EXPECT_FALSE(small.good());
}

}  // namespace
