// The support library's small pieces: the assignment splitter, file times
// and directory listings, the interface look-up, and the string stream.
#include "support/utilities.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/alphconv.h"
#include "support/mystrstream.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

TEST(UtilitiesTest, SplitsAssignmentLines) {
  // The line, its comment character, "name|value" or "-" when it assigns nothing.
  const std::tuple<const char*, char, const char*> rows[] = {
      {"key = value", '#', "key | value"},
      {"a=b=c", '#', "a|b=c"},
      {"x=1 # note", '#', "x|1 "},
      {"x=\"a # b\"", '#', "x|a # b"},
      {"x=\"a\"#c", '#', "x|a"},
      {"x=a\"#b", '#', "x|a\""},
      {"x=a\\#b", '#', "x|a\\#b"},
      {"x=\"abc\\\"", '#', "x|\"abc\\\""},
      {"=v", '#', "|v"},
      {"k=\"\"", '#', "k|"},
      {"x=\"a\" # \"b\"", '#', "x|\"a\" "},
      {"# k=v", '#', "-"},
      {"x=1 # note", 0, "x|1 # note"},
      {"x=1 ; note", ';', "x|1 "},
  };
  for (const auto& [line, comment, split] : rows) {
    SCOPED_TRACE(line);
    std::string name, value;
    const bool assigns = UTILITIES::splitAssignment(line, name, value, comment);
    EXPECT_EQ(assigns ? name + "|" + value : "-", split);
  }
}

TEST(UtilitiesTest, ListsRegularFilesByNameOrBySixtyFourBitModificationTime) {
  TempDir dir;
  std::filesystem::create_directory(dir / "c");
  const std::pair<const char*, time_t> files[] = {
      {"b", 1000000000}, {"a", 4102444800}, {"m", 2000000000}};
  for (const auto& [name, seconds] : files) {  // a: in 2100, beyond 32 bits
    WriteFile(dir / name, "x");
    const utimbuf times{seconds, seconds};
    ASSERT_EQ(utime((dir / name).c_str(), &times), 0);
  }
  EXPECT_EQ(UTILITIES::getFileTime(dir / "a"), 4102444800);
  EXPECT_EQ(UTILITIES::getFileTime(dir / "missing"), -1);
  // The folder, the mode (1: by time, 2: by name), the names (a failure keeps the old).
  const std::tuple<std::string, int, std::vector<std::string>> listings[] = {
      {dir.path(), 1, {"b", "m", "a"}},
      {dir.path(), 2, {"a", "b", "m"}},
      {dir / "missing", 2, {"old"}}};
  for (const auto& [folder, mode, names] : listings) {
    std::vector<DirectoryEntry> out(1, DirectoryEntry{"old", 9});
    EXPECT_EQ(UTILITIES::getDirectoryEntries(folder, mode, out), names[0] != "old");
    std::vector<std::string> got;
    for (const DirectoryEntry& e : out) got.push_back(e.name);
    EXPECT_EQ(got, names) << folder << mode;
  }
  std::string text;
  EXPECT_EQ(UTILITIES::getError(text), 507);
}

// The interface look-up: 0 the object, 1 its error handler, 2 its tracer,
// 4 its player (the rules have none); anything else, or a null out pointer,
// is refused.
TEST(InterfaceTest, AnObjectAnswersItsOwnPartsOnly) {
  CRuleCollection rules(4, 1, 1);
  const void* answers[] = {&rules, &rules.error(), &rules.tracer(), nullptr, nullptr};
  for (int id : {0, 1, 2, 3, 4}) {
    void* out = &answers;
    EXPECT_EQ(rules.queryInterface(id, &out), answers[id] != nullptr) << id;
    EXPECT_EQ(out, answers[id]) << id;
    EXPECT_FALSE(rules.queryInterface(id, nullptr)) << id;
  }
}

TEST(MyStrStreamTest, AShorterSecondMessageDoesNotShowTheFirstOnesTail) {
  mystrstream s;
  s << "a rather long first message " << 7;
  EXPECT_STREQ(s.str(), "a rather long first message 7");
  s << "short " << 2.5;
  EXPECT_STREQ(s.str(), "short 2.5");
}

}  // namespace
