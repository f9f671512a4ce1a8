#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/cdebugtracer.h"
#include "tests/common/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::TempDir;
using testing_support::WriteFile;

// The four values of a control record: lines, files, count, number.
using Record = std::vector<int32_t>;

std::string RecordBytes(const Record& values) {
  std::string bytes;
  for (int32_t v : values) {
    const auto u = static_cast<uint32_t>(v);
    for (int k = 0; k < 4; ++k) bytes += static_cast<char>((u >> (8 * k)) & 0xFF);
  }
  return bytes;
}

Record ReadRecord(const std::string& path) {
  const std::string bytes = ReadFile(path);
  Record values;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    uint32_t u = 0;
    for (int k = 0; k < 4; ++k)
      u |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + k])) << (8 * k);
    values.push_back(static_cast<int32_t>(u));
  }
  return values;
}

std::vector<std::string> DirectoryNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The text part of each line of a trace file (after the time stamp).
std::vector<std::string> Texts(const std::string& path) {
  std::vector<std::string> texts;
  for (const std::string& line : ReadLines(path)) {
    const size_t p = line.rfind("::");
    texts.push_back(p == std::string::npos ? line : line.substr(p + 2));
  }
  return texts;
}

std::vector<std::string> Strings(std::initializer_list<int> numbers) {
  std::vector<std::string> out;
  for (int n : numbers) out.push_back("line " + std::to_string(n));
  return out;
}

class CDebugTracerTest : public ::testing::Test {
 protected:
  std::string base() const { return dir_ / "N"; }
  std::string file(const std::string& suffix) const { return base() + suffix; }

  TempDir dir_;
};

TEST_F(CDebugTracerTest, DisabledTracerCreatesNoFile) {
  for (bool lock : {false, true}) {
    CDebugTracer tracer(base(), 3, 2, false, lock);
    for (int i = 0; i < 5; ++i) tracer.printline("src", i, "text");
    tracer.resetFiles();
    tracer.setName(base() + "2");
    tracer.printline("src", 1, "text");
  }
  EXPECT_TRUE(DirectoryNames(dir_.path()).empty());
}

TEST_F(CDebugTracerTest, TenFilesOfTwoLinesRotateAndEmptyTheReusedFile) {
  CDebugTracer tracer(base(), 10, 2, true, false);
  tracer.printline("src", 1, "line 1");
  EXPECT_EQ(ReadRecord(file(".crl")), (Record{2, 10, 1, 1}));
  EXPECT_EQ(ReadFile(file(".crl")).size(), 16u);
  for (int n = 2; n <= 20; ++n) tracer.printline("src", n, "line " + std::to_string(n));
  EXPECT_EQ(Texts(file("_01.trc")), Strings({1, 2}));
  EXPECT_EQ(Texts(file("_02.trc")), Strings({3, 4}));
  EXPECT_EQ(Texts(file("_05.trc")), Strings({9, 10}));
  EXPECT_EQ(Texts(file("_10.trc")), Strings({19, 20}));
  EXPECT_EQ(ReadRecord(file(".crl")), (Record{2, 10, 2, 10}));

  tracer.printline("src", 21, "line 21");
  EXPECT_EQ(Texts(file("_01.trc")), Strings({21}));
  EXPECT_EQ(Texts(file("_02.trc")), Strings({3, 4}));
  EXPECT_EQ(ReadRecord(file(".crl")), (Record{2, 10, 1, 1}));
  EXPECT_EQ(DirectoryNames(dir_.path()).size(), 11u);  // ten trace files and the control file
  EXPECT_FALSE(FileExists(file("_1.trc")));
  EXPECT_FALSE(FileExists(file("_11.trc")));
}

TEST_F(CDebugTracerTest, ControlFileOfAThreeFileRingOverridesTheTracersOwnSize) {
  CDebugTracer small(base(), 3, 1, true, false);
  small.printline("src", 1, "line 1");
  CDebugTracer large(base(), 10, 5, true, false);
  for (int n = 2; n <= 5; ++n) large.printline("src", n, "line " + std::to_string(n));
  EXPECT_EQ(Texts(file("_1.trc")), Strings({4}));
  EXPECT_EQ(Texts(file("_2.trc")), Strings({5}));
  EXPECT_EQ(Texts(file("_3.trc")), Strings({3}));
  EXPECT_EQ(ReadRecord(file(".crl")), (Record{1, 3, 1, 2}));
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"N.crl", "N_1.trc", "N_2.trc", "N_3.trc"}));
}

TEST_F(CDebugTracerTest, TraceLineFormat) {
  CDebugTracer tracer(base(), 2, 10, true, false);
  tracer.printline("cplayback", 123, "CPlayBack::play()@started: a::b");
  const std::string content = ReadFile(file("_1.trc"));
  EXPECT_TRUE(std::regex_match(
      content,
      std::regex(
          R"(cplayback::123::\d{4}/\d{2}/\d{2}:\d{2}:\d{2}:\d{2}::CPlayBack::play\(\)@started: a::b\n)")))
      << content;
}

TEST_F(CDebugTracerTest, ConstructorAndSettersReplaceValuesBelowOne) {
  CDebugTracer tracer(base(), 0, -3, true, false);
  tracer.printline("src", 1, "line 1");
  EXPECT_EQ(ReadRecord(file(".crl")), (Record{2000, 10, 1, 1}));
  EXPECT_TRUE(FileExists(file("_01.trc")));
  CDebugTracer other(dir_ / "M", 4, 4, true, false);
  other.setFileCount(-1);
  other.setLinesPerFile(0);
  other.printline("src", 1, "line 1");
  EXPECT_EQ(ReadRecord(dir_ / "M.crl"), (Record{2000, 10, 1, 1}));
}

TEST_F(CDebugTracerTest, CopyWritesToTheSameRingAndLeavesNoLockFile) {
  CDebugTracer tracer(base(), 2, 2, true, true);
  CDebugTracer copy(tracer);
  tracer.printline("src", 1, "line 1");
  copy.printline("src", 2, "line 2");
  copy.printline("src", 3, "line 3");
  EXPECT_FALSE(FileExists(file(".lck")));
  EXPECT_EQ(Texts(file("_1.trc")), Strings({1, 2}));
  EXPECT_EQ(Texts(file("_2.trc")), Strings({3}));
}

TEST_F(CDebugTracerTest, QueryInterfaceAnswersSelfAndTracerOnly) {
  CDebugTracer tracer(base(), 1, 1, false, false);
  int other = 0;
  for (int id : {0, 2, 1, 3, 4, -1}) {
    void* out = &other;
    const bool known = id == 0 || id == 2;
    EXPECT_EQ(tracer.queryInterface(id, &out), known) << id;
    EXPECT_EQ(out, known ? &tracer : nullptr) << id;
  }
}

TEST_F(CDebugTracerTest, QueryInterfaceWithNullOutPointerFails) {
  CDebugTracer tracer(base(), 1, 1, false, false);
  for (int id : {0, 1, 2, 4}) EXPECT_FALSE(tracer.queryInterface(id, nullptr)) << id;
}

TEST_F(CDebugTracerTest, CountAboveLinesPerFileRotates) {
  struct Row {
    Record before;
    std::string target;
    Record after;
  };
  const Row rows[] = {
      {{2, 3, 5, 2}, "_3.trc", {2, 3, 1, 3}},  // count beyond the limit
      {{2, 3, 2, 3}, "_1.trc", {2, 3, 1, 1}},  // count at the limit, last file wraps
      {{2, 3, 9, 3}, "_1.trc", {2, 3, 1, 1}},  // beyond the limit, last file wraps
      {{2, 3, 1, 3}, "_3.trc", {2, 3, 2, 3}},  // below the limit: appends
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.target + " from count " + std::to_string(row.before[2]));
    WriteFile(file(".crl"), RecordBytes(row.before));
    for (const char* name : {"_1.trc", "_2.trc", "_3.trc"}) WriteFile(file(name), "old\n");
    CDebugTracer tracer(base(), 3, 2, true, false);
    tracer.printline("src", 1, "line 1");
    EXPECT_EQ(ReadRecord(file(".crl")), row.after);
    const std::vector<std::string> expected =
        row.after[2] == 1 ? Strings({1}) : std::vector<std::string>{"old", "line 1"};
    EXPECT_EQ(Texts(file(row.target)), expected);
  }
}

TEST_F(CDebugTracerTest, InconsistentOrShortControlRecordStartsAFreshRing) {
  const std::string rows[] = {
      RecordBytes({2, 0, 0, 1}),   // no files
      RecordBytes({2, -3, 0, 1}),  // negative files
      RecordBytes({0, 3, 0, 1}),   // no lines
      RecordBytes({2, 3, 0, 0}),   // current number 0
      RecordBytes({2, 3, 0, 4}),   // current number beyond the ring
      RecordBytes({2, 3, -1, 2}),  // negative count
      RecordBytes({-5, -5, -5, -5}),
      RecordBytes({2, 3, 1, 2}).substr(0, 15),  // one byte short
      std::string(),                            // empty
  };
  int row = 0;
  for (const std::string& bytes : rows) {
    SCOPED_TRACE("row " + std::to_string(row++));
    WriteFile(file(".crl"), bytes);
    WriteFile(file("_1.trc"), "old\nold\n");
    CDebugTracer tracer(base(), 4, 3, true, false);
    tracer.printline("src", 1, "line 1");
    EXPECT_EQ(ReadRecord(file(".crl")), (Record{3, 4, 1, 1}));
    EXPECT_EQ(Texts(file("_1.trc")), Strings({1}));
    fs::remove(file("_1.trc"));
    EXPECT_EQ(DirectoryNames(dir_.path()), (std::vector<std::string>{"N.crl"}));
  }
}

TEST_F(CDebugTracerTest, UnopenableTraceFileLosesTheLineAndKeepsTheRecord) {
  CDebugTracer tracer(base(), 3, 1, true, false);
  tracer.printline("src", 1, "line 1");
  fs::create_directory(file("_2.trc"));
  tracer.printline("src", 2, "line 2");
  EXPECT_EQ(ReadRecord(file(".crl")), (Record{1, 3, 1, 1}));
  EXPECT_EQ(Texts(file("_1.trc")), Strings({1}));
}

TEST_F(CDebugTracerTest, ResetNamesFilesWithTheRecordsRingSize) {
  struct Row {
    const char* what;
    std::string record;  // "-": no control file
    int files;           // the tracer's own ring
    std::vector<std::string> present, left;
  };
  const Row rows[] = {
      {"no control file", "-", 3, {"_1"}, {"N_1.trc"}},
      {"three recorded, ten own",
       RecordBytes({5, 3, 1, 3}),
       10,
       {"_1", "_2", "_3", "_01"},
       {"N_01.trc"}},
      {"ten recorded, three own",
       RecordBytes({5, 10, 1, 2}),
       3,
       {"_01", "_02", "_03", "_2"},
       {"N_03.trc", "N_2.trc"}},
      {"short record",
       RecordBytes({5, 3, 1, 3}).substr(0, 5),
       3,
       {"_1", "_2", "_3", "_4"},
       {"N_4.trc"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    if (row.record != "-") WriteFile(dir / "N.crl", row.record);
    for (const std::string& name : row.present) WriteFile(dir / ("N" + name + ".trc"), "x\n");
    CDebugTracer tracer(dir / "N", row.files, 5, true, false);
    tracer.resetFiles();
    EXPECT_EQ(DirectoryNames(dir.path()), row.left);
  }
}

TEST_F(CDebugTracerTest, AfterResetTheRingStartsOver) {
  CDebugTracer tracer(base(), 10, 1, true, false);
  for (int n = 1; n <= 3; ++n) tracer.printline("src", n, "line " + std::to_string(n));
  tracer.resetFiles();
  EXPECT_TRUE(DirectoryNames(dir_.path()).empty());
  tracer.printline("src", 4, "line 4");
  EXPECT_EQ(Texts(file("_01.trc")), Strings({4}));
  EXPECT_EQ(ReadRecord(file(".crl")), (Record{1, 10, 1, 1}));
}

TEST_F(CDebugTracerTest, StaleLockIsRemovedAfterFiveWaitsAndTheLineWritten) {
  WriteFile(file(".lck"), "");
  CDebugTracer tracer(base(), 2, 2, true, true);
  const auto start = std::chrono::steady_clock::now();
  tracer.printline("src", 1, "line 1");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::seconds(4));
  EXPECT_FALSE(FileExists(file(".lck")));
  EXPECT_EQ(Texts(file("_1.trc")), Strings({1}));
}

std::vector<std::string> LockErrorLines(int error) {
  return {
      "cdebugtracer::150::CDebugTracer::printline(): cannot lock the trace control file, "
      "'_open' failed with an error different from EACCES!",
      std::string("cdebugtracer::151::CDebugTracer::printline(): error is '") +
          std::strerror(error) + "'"};
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t p; (p = text.find('\n', start)) != std::string::npos; start = p + 1) {
    lines.push_back(text.substr(start, p - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

TEST_F(CDebugTracerTest, LockErrorReportsTwoLinesDropsTheLineAndGoesOn) {
  CDebugTracer tracer(dir_ / "missing/N", 2, 2, true, true);
  ::testing::internal::CaptureStderr();
  tracer.printline("src", 1, "line 1");
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(SplitLines(err), LockErrorLines(ENOENT));
  EXPECT_TRUE(DirectoryNames(dir_.path()).empty());

  // The process is still here and tracing elsewhere works.
  CDebugTracer good(base(), 2, 2, true, true);
  good.printline("src", 2, "line 2");
  EXPECT_EQ(Texts(file("_1.trc")), Strings({2}));
}

TEST_F(CDebugTracerTest, LockDeniedInReadOnlyDirectoryDropsTheLine) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  CDebugTracer tracer(base(), 2, 5, true, false);
  tracer.printline("src", 1, "line 1");
  const std::string traceBefore = ReadFile(file("_1.trc"));
  const std::string recordBefore = ReadFile(file(".crl"));
  ASSERT_EQ(chmod(dir_.path().c_str(), 0555), 0);
  tracer.setUseLock(true);
  ::testing::internal::CaptureStderr();
  tracer.printline("src", 2, "line 2");
  const std::string err = ::testing::internal::GetCapturedStderr();
  chmod(dir_.path().c_str(), 0755);
  EXPECT_EQ(SplitLines(err), LockErrorLines(EACCES));
  // The trace file and the control record were writable, but without the
  // lock nothing was written.
  EXPECT_EQ(ReadFile(file("_1.trc")), traceBefore);
  EXPECT_EQ(ReadFile(file(".crl")), recordBefore);
}

}  // namespace
