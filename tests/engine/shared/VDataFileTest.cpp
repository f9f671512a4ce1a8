#include "engine/shared/VDataFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/ScrambledRecords.h"

namespace {

using testing_support::MakeRecord;
using testing_support::MessageRecorder;
using testing_support::RecordParts;
using testing_support::TempDir;
using testing_support::TextRecord;
using testing_support::WriteFile;

class VDataFileTest : public testing::Test {
 protected:
  TempDir dir_;
  testing_support::ScopedCwd cwd_{dir_.path()};
  MessageRecorder boxes_;
  char* out_ = nullptr;

  ~VDataFileTest() override { VStr::Release(&out_); }

  std::string Write(const std::string& content, const std::string& name = "data.bin") {
    const std::string path = dir_ / name;
    WriteFile(path, content);
    return path;
  }
};

TEST_F(VDataFileTest, TwoWholeRecordsAndTenBytesGiveTwoRecordsThenOneBandwidthReport) {
  const std::string path =
      Write(TextRecord("first", 120) + TextRecord("second", 120) + std::string(10, 'z'));
  std::ifstream in;
  ASSERT_TRUE(VLib::OpenDataFile(path.c_str(), in, true));

  ASSERT_TRUE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_STREQ(out_, "first");
  ASSERT_TRUE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_STREQ(out_, "second");
  EXPECT_TRUE(boxes_.reports().empty());

  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"bandwidth error in file " + path});
  EXPECT_STREQ(out_, "second");

  boxes_.clear();
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_TRUE(boxes_.reports().empty());
  // The report also went to the error file of the current directory.
  EXPECT_NE(testing_support::ReadFile(dir_ / "TamrinError.txt").find("bandwidth error in file "),
            std::string::npos);
}

TEST_F(VDataFileTest, AnEmptyFileGivesFalseAtOnceWithoutReport) {
  const std::string path = Write("");
  std::ifstream in;
  ASSERT_TRUE(VLib::OpenDataFile(path.c_str(), in, true));
  EXPECT_FALSE(VLib::ReadDataEntry(in, 500, &out_, true, path));
  EXPECT_EQ(out_, nullptr);
  EXPECT_TRUE(boxes_.reports().empty());
}

TEST_F(VDataFileTest, OpenDataFileRefusesWhatIsNotARegularFile) {
  const std::string sub = dir_ / "folder";
  std::filesystem::create_directory(sub);
  const std::string missing = dir_ / "missing.phn";
  for (const std::string& name : {sub, missing}) {
    boxes_.clear();
    std::ifstream in;
    EXPECT_FALSE(VLib::OpenDataFile(name.c_str(), in, true)) << name;
    // The readers go on regardless: the stream gives nothing, silently.
    EXPECT_FALSE(VLib::ReadDataEntry(in, 500, &out_, true, name));
    EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"Error reading file " + name});
  }
  std::ifstream in;
  EXPECT_FALSE(VLib::OpenDataFile(nullptr, in, false));
  // An open stream is not reopened but failed.
  const std::string first = Write(TextRecord("one", 120), "first.bin");
  const std::string second = Write(TextRecord("two", 120), "second.bin");
  ASSERT_TRUE(VLib::OpenDataFile(first.c_str(), in, true));
  EXPECT_FALSE(VLib::OpenDataFile(second.c_str(), in, true));
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, second));
}

// A malformed record is reported with the file's name and skipped; the next
// call reads the record after it.
TEST_F(VDataFileTest, AMalformedRecordIsReportedAndReadingGoesOn) {
  RecordParts badCheck;
  badCheck.payload = std::string("bad") + '\0';
  badCheck.checkDelta = 1;
  RecordParts badLength;
  badLength.payload = std::string("long") + '\0';
  badLength.lField = "000500";  // beyond a record of 120 bytes
  RecordParts letters;
  letters.payload = std::string("abc") + '\0';
  letters.mField = "00x005";
  const std::string path =
      Write(TextRecord("A", 120) + MakeRecord(badCheck, 120) + MakeRecord(badLength, 120) +
            MakeRecord(letters, 120) + TextRecord("B", 120));
  std::ifstream in;
  ASSERT_TRUE(VLib::OpenDataFile(path.c_str(), in, true));
  ASSERT_TRUE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_STREQ(out_, "A");
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    boxes_.clear();
    EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path));
    EXPECT_STREQ(out_, "A");  // unchanged
    EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"malformed entry in file " + path});
    EXPECT_TRUE(in.good());
  }
  boxes_.clear();
  ASSERT_TRUE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_STREQ(out_, "B");
  EXPECT_FALSE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_TRUE(boxes_.reports().empty());
}

// The payload of the eight bytes has no zero of its own; the result block
// still ends with one.
TEST_F(VDataFileTest, TheDecodedPayloadGetsOneTerminatingZero) {
  RecordParts p;
  p.payload = "ABCDEFGH";
  const std::string record = MakeRecord(p, 120);
  // Bytes behind the body are not read: fill them with non-zero garbage.
  std::string dirty = record;
  for (size_t i = 26; i < dirty.size(); ++i) dirty[i] = 'Q';
  const std::string path = Write(dirty);
  std::ifstream in;
  ASSERT_TRUE(VLib::OpenDataFile(path.c_str(), in, true));
  out_ = VStr::Duplicate("an earlier block, released by the read");
  ASSERT_TRUE(VLib::ReadDataEntry(in, 120, &out_, true, path));
  EXPECT_EQ(std::strlen(out_), 8u);
  EXPECT_STREQ(out_, "ABCDEFGH");
}

TEST_F(VDataFileTest, PlainModeReadsLines) {
  const std::string path = Write("first\nsecond\r\n\nthird\r\nlast");
  std::ifstream in;
  ASSERT_TRUE(VLib::OpenDataFile(path.c_str(), in, false));
  std::vector<std::string> lines;
  while (VLib::ReadDataEntry(in, 100, &out_, false, path)) lines.emplace_back(out_);
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", "", "third", "last"}));
  // The stream had ended: the failed call touched nothing.
  EXPECT_STREQ(out_, "last");
  EXPECT_TRUE(boxes_.reports().empty());

  // A call that still finds the stream good hands out a block even when it
  // reads nothing.
  std::istringstream text("abc\n");
  ASSERT_TRUE(VLib::ReadDataEntry(text, 100, &out_, false, "text"));
  EXPECT_STREQ(out_, "abc");
  EXPECT_FALSE(VLib::ReadDataEntry(text, 100, &out_, false, "text"));
  ASSERT_NE(out_, nullptr);
  EXPECT_STREQ(out_, "");
}

TEST_F(VDataFileTest, PlainModeCutsLongLinesAndKeepsTheRestForTheNextCall) {
  // size 6: at most five characters per call.
  std::istringstream in("abcdefgh\nvwxyz\nabcdef\r\n12345\r\n");
  std::vector<std::string> lines;
  while (VLib::ReadDataEntry(in, 6, &out_, false, "lines")) lines.emplace_back(out_);
  EXPECT_EQ(lines, (std::vector<std::string>{"abcde", "fgh", "vwxyz", "abcde", "f", "12345", ""}));
}

TEST_F(VDataFileTest, SizesThatHoldNoEntryStopTheReader) {
  std::istringstream plain("abc\n");
  EXPECT_FALSE(VLib::ReadDataEntry(plain, 1, &out_, false, "p"));
  EXPECT_FALSE(plain.good());
  std::istringstream scrambled(TextRecord("x", 120));
  EXPECT_FALSE(VLib::ReadDataEntry(scrambled, 0, &out_, true, "s"));
  EXPECT_FALSE(scrambled.good());
  EXPECT_TRUE(boxes_.reports().empty());
  // Reports without a file name name the stream.
  std::istringstream unnamed(std::string(30, 'x'));
  EXPECT_FALSE(VLib::ReadDataEntry(unnamed, 120, &out_, true));
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"bandwidth error in file (unnamed stream)"});
}

TEST_F(VDataFileTest, ReadDataTextGivesTheTextOrNothing) {
  const std::string path = Write(TextRecord("κείμενο", 400) + std::string(400, '\0'));
  std::ifstream in;
  ASSERT_TRUE(VLib::OpenDataFile(path.c_str(), in, true));
  EXPECT_EQ(VLib::ReadDataText(in, 400, true, path), std::optional<std::string>("κείμενο"));
  EXPECT_EQ(VLib::ReadDataText(in, 400, true, path), std::nullopt);
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"malformed entry in file " + path});
  EXPECT_EQ(VLib::ReadDataText(in, 400, true, path), std::nullopt);
}

}  // namespace
