// The support library's small pieces: the assignment splitter, file times
// and directory listings, the error handler and interface look-ups, and the
// string stream.
#include "support/utilities.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/alphconv.h"
#include "support/cdebugtracer.h"
#include "support/errorHandler.h"
#include "support/mystrstream.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

TEST(UtilitiesTest, SplitsAssignmentLines) {
  struct Row {
    const char* line;
    char comment;
    bool split;
    const char *name, *value;
  };
  const Row rows[] = {
      {"key = value", '#', true, "key ", " value"},
      {"a=b=c", '#', true, "a", "b=c"},
      {"x=1 # note", '#', true, "x", "1 "},
      {"x=\"a # b\"", '#', true, "x", "a # b"},
      {"x=\"a\"#c", '#', true, "x", "a"},
      {"x=a\"#b", '#', true, "x", "a\""},
      {"x=a\\#b", '#', true, "x", "a\\#b"},
      {"x=\"abc\\\"", '#', true, "x", "\"abc\\\""},
      {"=v", '#', true, "", "v"},
      {"k=\"\"", '#', true, "k", ""},
      {"x=\"a\" # \"b\"", '#', true, "x", "\"a\" "},
      {"# k=v", '#', false, "", ""},
      {"no assignment", '#', false, "", ""},
      {"x=1 # note", 0, true, "x", "1 # note"},
      {"x=1 ; note", ';', true, "x", "1 "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::string name = "unchanged", value = "unchanged";
    ASSERT_EQ(UTILITIES::splitAssignment(row.line, name, value, row.comment), row.split);
    if (row.split) {
      EXPECT_EQ(name + "|" + value, std::string(row.name) + "|" + row.value);
    }
  }
}

void SetModified(const std::string& path, int64_t seconds) {
  utimbuf times{static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
  ASSERT_EQ(utime(path.c_str(), &times), 0);
}

TEST(UtilitiesTest, ListsRegularFilesByNameOrBySixtyFourBitModificationTime) {
  TempDir dir;
  for (const char* name : {"b", "a", "m"}) WriteFile(dir / name, "x");
  std::filesystem::create_directory(dir / "c");
  SetModified(dir / "a", 4102444800);  // 2100, beyond 32 bits
  SetModified(dir / "b", 1000000000);
  SetModified(dir / "m", 2000000000);
  EXPECT_EQ(UTILITIES::getFileTime(dir / "a"), 4102444800);
  EXPECT_EQ(UTILITIES::getFileTime(dir / "missing"), -1);
  const std::pair<int, std::vector<std::string>> modes[] = {{1, {"b", "m", "a"}},
                                                            {2, {"a", "b", "m"}}};
  for (const auto& [mode, names] : modes) {
    std::vector<DirectoryEntry> out(1, DirectoryEntry{"stale", 9});
    ASSERT_TRUE(UTILITIES::getDirectoryEntries(dir.path(), mode, out));
    std::vector<std::string> got;
    for (const DirectoryEntry& e : out) got.push_back(e.name);
    EXPECT_EQ(got, names) << mode;
  }
  std::vector<DirectoryEntry> out(1, DirectoryEntry{"kept", 7});
  EXPECT_FALSE(UTILITIES::getDirectoryEntries(dir / "missing", 2, out));
  EXPECT_EQ(out.size(), 1u);
  std::string text;
  EXPECT_EQ(UTILITIES::getError(text), 507);
}

// The interface look-up of every class: 0 the object, 1 its error handler,
// 2 its tracer; anything else, or a null out pointer, is refused.
template <typename T>
void ExpectInterfaces(T& object, const void* self, const void* handler, const void* tracer) {
  const void* answers[] = {self, handler, tracer, nullptr, nullptr};
  for (int id : {0, 1, 2, 3, 4}) {
    void* out = &answers;
    EXPECT_EQ(object.queryInterface(id, &out), answers[id] != nullptr) << id;
    EXPECT_EQ(out, answers[id]) << id;
    EXPECT_FALSE(object.queryInterface(id, nullptr)) << id;
  }
}

TEST(InterfaceTest, EveryClassAnswersItsOwnInterfacesOnly) {
  errorHandler handler;
  ExpectInterfaces(handler, &handler, &handler, nullptr);
  CDebugTracer tracer("t", 1, 1, false, false);
  ExpectInterfaces(tracer, &tracer, nullptr, &tracer);
  CRule rule;
  ExpectInterfaces(rule, &rule, &rule.error(), &rule.tracer());
  CRuleCollection rules(4, 1, 1);
  ExpectInterfaces(rules, &rules, &rules.error(), &rules.tracer());
}

TEST(MyStrStreamTest, AShorterSecondMessageDoesNotShowTheFirstOnesTail) {
  mystrstream s;
  s << "a rather long first message " << 7;
  EXPECT_STREQ(s.str(), "a rather long first message 7");
  s << "short " << 2.5;
  EXPECT_STREQ(s.str(), "short 2.5");
}

}  // namespace
