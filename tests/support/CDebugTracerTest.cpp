// CDebugTracer: a ring of trace files kept by a control record, and the
// lock file that serialises writers of one name.
#include "support/cdebugtracer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tests/common/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::WriteFile;
using Record = std::vector<int32_t>;  // lines, files, count, number

// The control record's bytes (little-endian, as the tracer writes them).
std::string Bytes(const Record& values) {
  return std::string(reinterpret_cast<const char*>(values.data()), values.size() * 4);
}

// The texts of a trace file's lines, after their time stamps.
std::vector<std::string> Texts(const std::string& path) {
  std::vector<std::string> texts;
  for (const std::string& line : ReadLines(path))
    texts.push_back(line.substr(line.rfind("::") + 2));
  return texts;
}

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

class CDebugTracerTest : public testing::Test {
 protected:
  std::string File(const std::string& suffix) const { return dir_ / ("N" + suffix); }
  testing_support::TempDir dir_;
};

TEST_F(CDebugTracerTest, LinesRotateThroughTheRingAndEmptyTheReusedFile) {
  CDebugTracer off(File(""), 3, 2, false, true);
  off.printline("src", 1, "never");
  EXPECT_TRUE(Names(dir_.path()).empty());
  CDebugTracer tracer(File(""), 10, 2, true, false);
  for (int n = 1; n <= 21; ++n) tracer.printline("src", n, "line " + std::to_string(n));
  EXPECT_TRUE(std::regex_match(ReadLines(File("_02.trc"))[0],
                               std::regex(R"(src::3::\d{4}/\d\d/\d\d:\d\d:\d\d:\d\d::line 3)")));
  EXPECT_EQ(Texts(File("_10.trc")), (std::vector<std::string>{"line 19", "line 20"}));
  EXPECT_EQ(Texts(File("_01.trc")), (std::vector<std::string>{"line 21"}));
  EXPECT_EQ(ReadFile(File(".crl")), Bytes({2, 10, 1, 1}));
}

// A control record (lines, files, count, number) before a line, and after
// it; one that is inconsistent or short (three numbers) gives way to the
// tracer's own ring. A line that starts a file empties it.
TEST_F(CDebugTracerTest, ACountAtTheLinesPerFileRotatesAndABadRecordStartsAFreshRing) {
  const Record fresh{3, 4, 1, 1};
  const std::pair<Record, Record> rows[] = {
      {{2, 3, 5, 2}, {2, 3, 1, 3}}, {{2, 3, 2, 3}, {2, 3, 1, 1}}, {{2, 3, 1, 3}, {2, 3, 2, 3}},
      {{2, 0, 0, 1}, fresh},        {{0, 3, 0, 1}, fresh},        {{2, 3, 0, 0}, fresh},
      {{2, 3, 0, 4}, fresh},        {{2, 3, -1, 2}, fresh},       {{2, 3, 1}, fresh}};
  for (const auto& [before, after] : rows) {
    SCOPED_TRACE(testing::PrintToString(before));
    WriteFile(File(".crl"), Bytes(before));
    for (int n = 1; n <= 3; ++n) WriteFile(File("_" + std::to_string(n) + ".trc"), "x::old\n");
    CDebugTracer(File(""), 4, 3, true, false).printline("src", 1, "new");
    EXPECT_EQ(ReadFile(File(".crl")), Bytes(after));
    const std::vector<std::string> texts = Texts(File("_" + std::to_string(after[3]) + ".trc"));
    EXPECT_EQ(texts, (after[2] == 1 ? std::vector<std::string>{"new"}
                                    : std::vector<std::string>{"old", "new"}));
  }
}

TEST_F(CDebugTracerTest, ResetRemovesTheFilesOfTheRecordsRing) {
  // The control file ("-": none), the tracer's own ring, the files there, the files left.
  const std::tuple<std::string, int, std::vector<std::string>, std::set<std::string>> rows[] = {
      {"-", 3, {"_1"}, {"N_1.trc"}},
      {Bytes({5, 3, 1, 3}), 10, {"_1", "_3", "_01"}, {"N_01.trc"}},
      {Bytes({5, 10, 1, 2}), 3, {"_01", "_02", "_03", "_2"}, {"N_03.trc", "N_2.trc"}},
      {Bytes({5, 3, 1, 3}).substr(0, 5), 3, {"_1", "_3", "_4"}, {"N_4.trc"}},
  };
  for (const auto& [record, files, present, left] : rows) {
    testing_support::TempDir dir;
    if (record != "-") WriteFile(dir / "N.crl", record);
    for (const std::string& name : present) WriteFile(dir / ("N" + name + ".trc"), "x\n");
    CDebugTracer(dir / "N", files, 5, true, false).resetFiles();
    EXPECT_EQ(Names(dir.path()), left) << files;
  }
}

TEST_F(CDebugTracerTest, ALockErrorDropsTheLineAndGoesOn) {
  CDebugTracer tracer(File(""), 2, 2, true, true);
  tracer.printline("src", 1, "kept");
  EXPECT_EQ(Names(dir_.path()), (std::set<std::string>{"N.crl", "N_1.trc"}));  // no lock left
  testing::internal::CaptureStderr();
  CDebugTracer(dir_ / "missing/N", 2, 2, true, true).printline("src", 2, "lost");
  if (geteuid() != 0) {                              // permissions do not bind the superuser
    ASSERT_EQ(chmod(dir_.path().c_str(), 0555), 0);  // the lock cannot be made
    tracer.printline("src", 3, "lost");
  }
  testing::internal::GetCapturedStderr();
  chmod(dir_.path().c_str(), 0755);
  EXPECT_EQ(Texts(File("_1.trc")), std::vector<std::string>{"kept"});
}

}  // namespace
