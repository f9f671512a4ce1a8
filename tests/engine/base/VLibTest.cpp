#include "engine/base/VLib.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "platform/ExitHook.h"
#include "platform/Registry.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FileExists;
using testing_support::MessageRecorder;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::ScopedCwd;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::TestInstallation;

const std::regex kReportLine("^[0-9]{14}\t(.*)$");

// The status that a parent sees for the engine's exit code.
testing::ExitedWithCode ExitedWith(int code) { return testing::ExitedWithCode(code & 0xFF); }

// Marks every call of the exit hook on stderr; the process then ends as usual.
// The hook sees the engine's own code; the parent sees only its low eight
// bits, as every POSIX exit status.
void MarkExit(int code) {
  std::fprintf(stderr, "exit-hook %d\n", code);
  std::fflush(stderr);
}

// Runs the statements in a child that must end through the exit hook with code.
void ExpectExit(const std::function<void()>& run, int code) {
  EXPECT_EXIT(
      {
        platform::SetExitHook(MarkExit);
        run();
      },
      ExitedWith(code), "^exit-hook " + std::to_string(code) + "\n$");
}

// A registry stand-in that has no installation key, and a working directory
// for the report.
struct NoRegistry {
  TempDir root;
  ScopedEnv xdg{"XDG_CONFIG_HOME", root.path().c_str()};
  std::string work = root / "work";
  std::unique_ptr<ScopedCwd> cwd;
  NoRegistry() {
    std::filesystem::create_directories(work);
    cwd = std::make_unique<ScopedCwd>(work);
  }
};

TEST(VLibNumbersTest, RoundTakesTheLowerNeighbourOfAnExactHalf) {
  const std::pair<double, int> cases[] = {
      {2.5, 2},   {2.5000001, 3}, {-0.5, -1}, {-2.5, -3},      {0.5, 0},         {1.4999, 1},
      {1.5, 1},   {1.6, 2},       {-1.4, -1}, {-1.6, -2},      {0.0, 0},         {7.0, 7},
      {-7.0, -7}, {3.5, 3},       {-3.5, -4}, {1e12, INT_MAX}, {-1e12, INT_MIN}, {NAN, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(VLib::Round(c.first), c.second) << c.first;
}

TEST(VLibNumbersTest, Quantize) {
  struct Case {
    double v;
    int step;
    int expected;
  };
  const Case cases[] = {
      {47.0, 10, 50}, {45.0, 10, 40}, {44.9, 10, 40}, {45.1, 10, 50},  {-45.0, 10, -50},
      {12.5, 5, 10},  {7.0, 1, 7},    {10.0, 0, 0},   {47.0, -10, 50},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VLib::Quantize(c.v, c.step), c.expected) << c.v << " / " << c.step;
  }
}

TEST(VLibNumbersTest, LinearY) {
  EXPECT_FLOAT_EQ(VLib::linear_y(0, 0, 1, 2, 5), -666.0f);
  EXPECT_FLOAT_EQ(VLib::linear_y(3, 3, 0, 0, 3), -666.0f);
  EXPECT_FLOAT_EQ(VLib::linear_y(0, 10, 0, 100, 5), 50.0f);
  EXPECT_FLOAT_EQ(VLib::linear_y(0, 10, 1, 2, 0), 1.0f);
  EXPECT_FLOAT_EQ(VLib::linear_y(0, 10, 1, 2, 10), 2.0f);
  EXPECT_FLOAT_EQ(VLib::linear_y(2, 4, 10, 0, 3), 5.0f);
  EXPECT_FLOAT_EQ(VLib::linear_y(0, 1, 0, 1, 2), 2.0f);  // beyond the points
}

TEST(VLibNumbersTest, ValueInRange) {
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 1, false), 100.0);
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 4, false), 50.0);
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 0, false), 100.0);
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 0, true), 100.0);
  for (int k : {1, 2, 7, 100}) {
    EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 1, k, false), 50.0) << k;
    EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 0, k, true), 50.0) << k;
  }
  // Logarithmic in between: k = 2 of 4 lies at t = 1 + 3 ln2 / ln4 = 2.5.
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 2, false), 100 * (1 - 0.5 * 1.5 / 3));
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 2, true), 100 * (1 - 0.5 * 2.5 / 4));
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 4, true), 50.0);
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 1, true), 100 * (1 - 0.5 / 4));
}

TEST(VLibCharsTest, NormalizeChar) {
  for (int i = 0; i < 256; ++i) {
    char c = static_cast<char>(i);
    VLib::NormalizeChar(&c);
    const unsigned char u = static_cast<unsigned char>(c);
    if (i >= 'A' && i <= 'Z') {
      EXPECT_EQ(u, i - 'A' + 'a') << i;
    } else if (i == '?') {
      EXPECT_EQ(c, ';');
    } else {
      EXPECT_EQ(u, i) << i;  // ';', digits, lower case and every byte above 127 stay
    }
  }
  VLib::NormalizeChar(nullptr);
}

TEST(VLibParseTest, ParseIntReadsLikeAtoi) {
  const std::pair<const char*, int> cases[] = {{"42", 42},
                                               {"  \t-17xyz", -17},
                                               {"+8", 8},
                                               {"", 0},
                                               {"abc", 0},
                                               {"3.9", 3},
                                               {"- 4", 0},
                                               {"\n12\n", 12},
                                               {"2147483647", INT_MAX},
                                               {"007", 7},
                                               {"99999999999", INT_MAX},
                                               {"-2147483648", INT_MIN},
                                               {"-99999999999", INT_MIN}};
  for (const auto& c : cases) {
    EXPECT_EQ(VLib::ParseInt(std::string(c.first)), c.second) << "[" << c.first << "]";
    EXPECT_EQ(VLib::ParseInt(c.first), c.second) << "[" << c.first << "]";
  }
  EXPECT_EQ(VLib::ParseInt(static_cast<const char*>(nullptr)), 0);
}

TEST(VLibParseTest, ParseFloatReadsLikeAtof) {
  const std::pair<const char*, double> cases[] = {
      {"2.5", 2.5}, {"  -0.25ms", -0.25}, {"1e3", 1000.0}, {"", 0.0},  {"x1", 0.0},
      {"3,5", 3.0}, {".5", 0.5},          {"+4.", 4.0},    {"7", 7.0}, {"1.5e-1x", 0.15},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(VLib::ParseFloat(std::string(c.first)), c.second) << "[" << c.first << "]";
  }
  EXPECT_DOUBLE_EQ(VLib::ParseFloat(static_cast<const char*>(nullptr)), 0.0);
}

// Restores the numeric locale of the process.
class NumericLocale {
 public:
  NumericLocale() : old_(std::setlocale(LC_NUMERIC, nullptr)) {}
  ~NumericLocale() { std::setlocale(LC_NUMERIC, old_.c_str()); }
  bool Set(const char* name) { return std::setlocale(LC_NUMERIC, name) != nullptr; }

 private:
  std::string old_;
};

TEST(VLibParseTest, NumbersIgnoreACommaDecimalLocale) {
  NumericLocale guard;
  bool set = false;
  for (const char* name :
       {"el_GR.UTF-8", "de_DE.UTF-8", "el_GR.utf8", "de_DE.utf8", "fr_FR.UTF-8"}) {
    if (guard.Set(name)) {
      set = true;
      break;
    }
  }
  if (!set) GTEST_SKIP() << "no locale with a ',' decimal point is installed";
  ASSERT_DOUBLE_EQ(std::atof("2,5"), 2.5) << "the locale in force does not use ','";
  EXPECT_DOUBLE_EQ(VLib::ParseFloat("2.5"), 2.5);
  EXPECT_DOUBLE_EQ(VLib::ParseFloat("2,5"), 2.0);
  EXPECT_EQ(VLib::ParseInt("1.234"), 1);
}

TEST(VLibPathTest, InstallPathAndMakePath) {
  TestInstallation inst;
  char* path = VLib::GetInstallPath();
  ASSERT_NE(path, nullptr);
  EXPECT_STREQ(path, inst.dir().c_str());
  EXPECT_EQ(path[999], '\0');  // a 1000-byte block
  VStr::Release(&path);
  EXPECT_EQ(VLib::MakePath("config.txt"), inst.dir() + "/config.txt");
  EXPECT_EQ(VLib::MakePath(std::string("voices")), inst.dir() + "/voices");
  EXPECT_EQ(VLib::MakePath(static_cast<const char*>(nullptr)), inst.dir() + "/");
  // The registry is read on every call.
  ASSERT_EQ(platform::RegistrySetValue(VLib::kRegistryKey, VLib::kRegistryValue, "/elsewhere"),
            platform::kRegSuccess);
  EXPECT_EQ(VLib::InstallPath(), "/elsewhere");
  EXPECT_EQ(VLib::MakePath("x"), "/elsewhere/x");
}

struct RegistryFailure {
  const char* name;
  std::function<void()> prepare;  // sets up the stand-in
  int exitCode;
  std::vector<std::string> lines;  // of TamrinError.txt, the time stamp cut off the first
};

TEST(VLibDeathTest, RegistryFailuresEndTheProgram) {
  const std::vector<RegistryFailure> cases = {
      {"no key",
       [] {},
       541,
       {"HKEY_CURRENT_USER\\Software\\Quenmoor\\ZORVALIS", "error reading registry. rc == 2",
        "Error 541"}},
      {"no value",
       [] { platform::RegistrySetValue(VLib::kRegistryKey, "other", "x"); },
       540,
       {"HKEY_CURRENT_USER\\Software\\Quenmoor\\ZORVALIS",
        "error reading path from registry. rc == 2", "Error 540"}},
      {"value too long",
       [] {
         platform::RegistrySetValue(VLib::kRegistryKey, VLib::kRegistryValue,
                                    "/" + std::string(899, 'd'));
       },
       540,
       {"HKEY_CURRENT_USER\\Software\\Quenmoor\\ZORVALIS",
        "error reading path from registry. rc == 234", "Error 540"}},
  };
  for (const RegistryFailure& c : cases) {
    SCOPED_TRACE(c.name);
    NoRegistry env;
    c.prepare();
    MessageRecorder boxes;
    ExpectExit([] { VLib::GetInstallPath(); }, c.exitCode);
    ExpectExit([] { VLib::MakePath("config.txt"); }, c.exitCode);
    const std::vector<std::string> lines = ReadLines(env.work + "/TamrinError.txt");
    ASSERT_EQ(lines.size(), 2 * c.lines.size());
    for (size_t report = 0; report < 2; ++report) {
      const size_t first = report * c.lines.size();
      std::smatch m;
      ASSERT_TRUE(std::regex_match(lines[first], m, kReportLine)) << lines[first];
      EXPECT_EQ(m[1].str(), c.lines[0]);
      for (size_t i = 1; i < c.lines.size(); ++i) EXPECT_EQ(lines[first + i], c.lines[i]);
    }
  }
}

TEST(VLibDeathTest, InstallPathOfExactly899CharactersIsRead) {
  NoRegistry env;
  const std::string longest = "/" + std::string(898, 'd');
  ASSERT_EQ(platform::RegistrySetValue(VLib::kRegistryKey, VLib::kRegistryValue, longest),
            platform::kRegSuccess);
  char* path = VLib::GetInstallPath();
  EXPECT_EQ(std::string(path), longest);
  VStr::Release(&path);
  EXPECT_FALSE(FileExists(env.work + "/TamrinError.txt"));
}

TEST(VLibReportTest, ReportLineAndMessageBox) {
  TempDir dir;
  ScopedCwd cwd(dir.path());
  MessageRecorder boxes;
  VLib::ReportError("first failure");
  VLib::ReportError(std::string("second %s %n %d failure"));
  VLib::ReportError("two\nlines");
  VLib::ReportError(static_cast<const char*>(nullptr));

  const std::vector<std::string> lines = ReadLines(dir / "TamrinError.txt");
  ASSERT_EQ(lines.size(), 5u);
  const std::vector<std::string> messages = {"first failure", "second %s %n %d failure", "two", ""};
  const size_t lineOf[] = {0, 1, 2, 4};
  for (size_t i = 0; i < messages.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[lineOf[i]], m, kReportLine)) << lines[lineOf[i]];
    EXPECT_EQ(m[1].str(), messages[i]);
  }
  EXPECT_EQ(lines[3], "lines");

  const auto shown = boxes.messages();
  ASSERT_EQ(shown.size(), 4u);
  for (const auto& box : shown) EXPECT_EQ(box.first, "Tamrin Engine");
  EXPECT_EQ(shown[0].second, lines[0]);  // the same line, without its newline
  EXPECT_EQ(shown[1].second, lines[1]);
  EXPECT_EQ(shown[2].second, lines[2] + "\n" + lines[3]);

  VLib::RemoveErrorFile();
  EXPECT_FALSE(FileExists(dir / "TamrinError.txt"));
  VLib::RemoveErrorFile();  // nothing there: fine
}

TEST(VLibTraceTest, TraceWritesTextAsItStands) {
  TestInstallation inst;
  const std::string file = inst.workDir() + "/trace.txt";
  VLib::Trace("one", "w", true, file.c_str());
  VLib::Trace("two", "a", false, file.c_str());
  VLib::Trace(std::string("%s%n%x"), "a", true, file.c_str());
  EXPECT_EQ(ReadFile(file), "one\ntwo%s%n%x\n");
  VLib::Trace("restart", "w", true, file.c_str());
  EXPECT_EQ(ReadFile(file), "restart\n");
  VLib::Trace(static_cast<const char*>(nullptr), "a", true, file.c_str());
  EXPECT_EQ(ReadFile(file), "restart\n\n");

  // Without a file the text goes to the installation's log.
  VLib::Trace("to the log", "a", true);
  EXPECT_EQ(ReadFile(inst.path("log.txt")), "to the log\n");
  EXPECT_FALSE(FileExists(inst.workDir() + "/TamrinError.txt"));
}

TEST(VLibDeathTest, TraceToAnUnopenableFileReportsItsPathAndExits550) {
  TempDir dir;
  ScopedCwd cwd(dir.path());
  MessageRecorder boxes;
  const std::string unopenable = dir / "missing/folder/trace.txt";
  ExpectExit([&] { VLib::Trace("text", "a", true, unopenable.c_str()); }, 550);
  const std::vector<std::string> lines = ReadLines(dir / "TamrinError.txt");
  ASSERT_EQ(lines.size(), 1u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, kReportLine)) << lines[0];
  EXPECT_EQ(m[1].str(), unopenable);
}

TEST(VLibDeathTest, UnopenableReportFileExits550Once) {
  TempDir dir;
  ScopedCwd cwd(dir.path());
  MessageRecorder boxes;
  // A folder in the place of the report file cannot be opened for appending.
  std::filesystem::create_directory(dir / "TamrinError.txt");
  ExpectExit([] { VLib::ReportError("cannot be written"); }, 550);
  // A failing trace file whose report cannot be written either ends once too.
  const std::string unopenable = dir / "missing/trace.txt";
  ExpectExit([&] { VLib::Trace("text", "a", true, unopenable.c_str()); }, 550);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "TamrinError.txt"));
}

}  // namespace
