#include <gtest/gtest.h>

#include <utime.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "support/utilities.h"
#include "tests/common/ConfigurationLines.h"
#include "tests/common/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::WriteFile;

struct SplitRow {
  const char* line;
  bool split;
  const char* name;
  const char* value;
};

void CheckSplit(const SplitRow& row, char comment) {
  SCOPED_TRACE(std::string("line [") + row.line + "]");
  std::string name = "unchanged name";
  std::string value = "unchanged value";
  EXPECT_EQ(UTILITIES::splitAssignment(row.line, name, value, comment), row.split);
  if (row.split) {
    EXPECT_EQ(name, row.name);
    EXPECT_EQ(value, row.value);
  } else {
    EXPECT_EQ(name, "unchanged name");
    EXPECT_EQ(value, "unchanged value");
  }
}

TEST(UtilitiesTest, SplitAssignmentWithHashComments) {
  for (const auto& row : testing_support::kConfigurationLines) {
    CheckSplit({row.line, row.stored, row.name, row.value}, '#');
  }
}

TEST(UtilitiesTest, SplitAssignmentWithOtherCommentCharacters) {
  const SplitRow none[] = {{"x=1 # note", true, "x", "1 # note"},
                           {"# whole=line", true, "# whole", "line"},
                           {"x=\"a # b\"", true, "x", "a # b"},
                           {"# no assignment", false, "", ""}};
  for (const SplitRow& row : none) CheckSplit(row, 0);
  const SplitRow semicolon[] = {{"x=1 ; note", true, "x", "1 "},
                                {"x=1 # note", true, "x", "1 # note"},
                                {"x=\"a;b\"", true, "x", "a;b"}};
  for (const SplitRow& row : semicolon) CheckSplit(row, ';');
}

TEST(UtilitiesTest, TimeStampHasFourteenDigitsOfTheLocalTime) {
  const std::time_t before = std::time(nullptr);
  const std::string stamp = UTILITIES::getTimeStamp();
  const std::time_t after = std::time(nullptr);
  ASSERT_EQ(stamp.size(), 14u) << stamp;
  std::tm t{};
  ASSERT_NE(strptime(stamp.c_str(), "%Y%m%d%H%M%S", &t), nullptr) << stamp;
  t.tm_isdst = -1;
  EXPECT_GE(std::mktime(&t), before);
  EXPECT_LE(std::mktime(&t), after);
}

TEST(UtilitiesTest, IsFileAndIsDirectory) {
  TempDir dir;
  WriteFile(dir / "file.txt", "x");
  fs::create_directory(dir / "sub");
  fs::create_symlink(dir / "file.txt", dir / "link");
  EXPECT_TRUE(UTILITIES::isFile(dir / "file.txt"));
  EXPECT_FALSE(UTILITIES::isDirectory(dir / "file.txt"));
  EXPECT_FALSE(UTILITIES::isFile(dir / "sub"));
  EXPECT_TRUE(UTILITIES::isDirectory(dir / "sub"));
  EXPECT_TRUE(UTILITIES::isFile(dir / "link"));
  EXPECT_FALSE(UTILITIES::isFile(dir / "missing"));
  EXPECT_FALSE(UTILITIES::isDirectory(dir / "missing"));
  EXPECT_FALSE(UTILITIES::isFile("/dev/null"));
}

void SetModified(const std::string& path, int64_t seconds) {
  struct utimbuf times;
  times.actime = static_cast<time_t>(seconds);
  times.modtime = static_cast<time_t>(seconds);
  ASSERT_EQ(utime(path.c_str(), &times), 0) << path;
}

TEST(UtilitiesTest, FileTimeIsSixtyFourBits) {
  TempDir dir;
  WriteFile(dir / "old", "x");
  WriteFile(dir / "future", "x");
  SetModified(dir / "old", 1000000000);
  const int64_t year2100 = 4102444800;  // beyond 32 bits
  SetModified(dir / "future", year2100);
  EXPECT_EQ(UTILITIES::getFileTime(dir / "old"), 1000000000);
  EXPECT_EQ(UTILITIES::getFileTime((dir / "future").c_str()), year2100);
  EXPECT_EQ(UTILITIES::getFileTime(dir / "missing"), -1);
  EXPECT_EQ(UTILITIES::getFileTime(static_cast<const char*>(nullptr)), -1);
}

std::vector<std::string> Names(const std::vector<DirectoryEntry>& entries) {
  std::vector<std::string> names;
  for (const DirectoryEntry& e : entries) names.push_back(e.name);
  return names;
}

class DirectoryEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_ / "b", "b");
    WriteFile(dir_ / "a", "a");
    fs::create_directory(dir_ / "c");
    WriteFile(dir_ / "c/inner", "x");
  }
  TempDir dir_;
};

TEST_F(DirectoryEntriesTest, EveryModeListsOnlyTheRegularFiles) {
  for (int mode : {0, 1, 2, 3, -1}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    std::vector<DirectoryEntry> out(1, DirectoryEntry{"stale", 9});
    EXPECT_TRUE(UTILITIES::getDirectoryEntries(dir_.path(), mode, out));
    std::vector<std::string> names = Names(out);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
  }
  // An empty directory gives true and an empty list.
  std::vector<DirectoryEntry> out(2);
  fs::create_directory(dir_ / "empty");
  EXPECT_TRUE(UTILITIES::getDirectoryEntries(dir_ / "empty", 2, out));
  EXPECT_TRUE(out.empty());
}

TEST_F(DirectoryEntriesTest, ModeTwoSortsByName) {
  WriteFile(dir_ / "B", "upper case sorts first");
  WriteFile(dir_ / ".hidden", "kept");
  std::vector<DirectoryEntry> out;
  EXPECT_TRUE(UTILITIES::getDirectoryEntries(dir_.path(), 2, out));
  EXPECT_EQ(Names(out), (std::vector<std::string>{".hidden", "B", "a", "b"}));
}

TEST_F(DirectoryEntriesTest, ModeOneSortsByModificationTime) {
  WriteFile(dir_ / "m", "m");
  SetModified(dir_ / "a", 4102444800);  // 2100, beyond 32 bits
  SetModified(dir_ / "b", 1000000000);
  SetModified(dir_ / "m", 2000000000);
  std::vector<DirectoryEntry> out;
  ASSERT_TRUE(UTILITIES::getDirectoryEntries(dir_.path(), 1, out));
  ASSERT_EQ(Names(out), (std::vector<std::string>{"b", "m", "a"}));
  EXPECT_EQ(out[0].value, 1000000000);
  EXPECT_EQ(out[1].value, 2000000000);
  EXPECT_EQ(out[2].value, 4102444800);
}

TEST_F(DirectoryEntriesTest, MissingDirectoryFailsWithCode507AndKeepsOut) {
  for (const std::string& path : {dir_ / "missing", dir_ / "a"}) {
    SCOPED_TRACE(path);
    UTILITIES::setError(0, NO_ERROR_TEXT);
    std::vector<DirectoryEntry> out(1, DirectoryEntry{"kept", 7});
    EXPECT_FALSE(UTILITIES::getDirectoryEntries(path, 2, out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].name, "kept");
    EXPECT_EQ(out[0].value, 7);
    std::string text;
    EXPECT_EQ(UTILITIES::getError(text), 507);
    const std::string prefix = "UTILITIES:: findFirstFile failed:";
    EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    EXPECT_GT(text.size(), prefix.size());  // the system's text follows
  }
}

TEST(UtilitiesTest, LastErrorAndErrnoTexts) {
  EXPECT_TRUE(UTILITIES::setError(507, "listing failed"));
  std::string text;
  EXPECT_EQ(UTILITIES::getError(text), 507);
  EXPECT_EQ(text, "listing failed");
  int code = -1;
  errno = ENOENT;
  UTILITIES::getLastErrorText(code, text);
  EXPECT_EQ(code, ENOENT);
  EXPECT_EQ(text, std::strerror(ENOENT));
  errno = 0;
  UTILITIES::getLastErrorText(code, text);
  EXPECT_EQ(text, "");
}

}  // namespace
