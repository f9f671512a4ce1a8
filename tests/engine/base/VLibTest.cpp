// VLib: numbers, the locale-free readers, the installation path from the
// registry, the error report and the trace; the engine log.
#include "engine/base/VLib.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "engine/base/Log.h"
#include "engine/base/VStr.h"
#include "platform/ExitHook.h"
#include "platform/Registry.h"
#include "tests/common/Installation.h"

namespace {

using namespace testing_support;

// The report lines of TamrinError.txt without their time stamps.
std::vector<std::string> Reports(const std::string& path) {
  std::vector<std::string> out;
  for (const std::string& line : ReadLines(path)) {
    out.push_back(std::regex_match(line, std::regex("^[0-9]{14}\t.*$")) ? line.substr(15) : line);
  }
  return out;
}

// Runs f in a child that must end through the exit hook with code (its low byte seen).
void ExpectExit(const std::function<void()>& f, int code) {
  EXPECT_EXIT(
      {
        platform::SetExitHook([](int c) { std::fprintf(stderr, "exit-hook %d\n", c); });
        f();
      },
      testing::ExitedWithCode(code & 0xFF), "^exit-hook " + std::to_string(code) + "\n$");
}

TEST(VLibTest, NumbersRoundHalfDownAndTwoPointsAtOnePlaceGiveMinus666) {
  const std::pair<double, int> rounds[] = {{2.5, 2},   {2.5000001, 3}, {-2.5, -3},      {1.6, 2},
                                           {-1.4, -1}, {0.5, 0},       {1e12, INT_MAX}, {NAN, 0}};
  for (const auto& [v, r] : rounds) EXPECT_EQ(VLib::Round(v), r) << v;
  // The base duration and F0: a single-precision product truncated (120 x 0.9 is 108).
  const std::tuple<int, float, int> products[] = {
      {100, 1.999f, 199}, {100, 0.7f, 70},  {100, 0.9f, 90},    {100, 1.3f, 130},
      {100, 1.9f, 190},   {120, 0.9f, 108}, {125, 0.5f, 62},    {-125, 0.5f, -62},
      {2, 3e9f, INT_MAX}, {1, NAN, 0},      {-2, 3e9f, INT_MIN}};
  for (const auto& [reference, scale, product] : products)
    EXPECT_EQ(VLib::TruncatedProduct(reference, scale), product) << reference << " x " << scale;
  EXPECT_EQ(VLib::Quantize(45.0, 10), 40);
  EXPECT_EQ(VLib::Quantize(45.1, 10), 50);
  EXPECT_EQ(VLib::Quantize(10.0, 0), 0);
  EXPECT_FLOAT_EQ(VLib::linear_y(3, 3, 0, 1, 3), -666.0f);
  EXPECT_FLOAT_EQ(VLib::linear_y(2, 4, 10, 0, 3), 5.0f);
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 2, false), 100 * (1 - 0.5 * 1.5 / 3));
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 4, 2, true), 100 * (1 - 0.5 * 2.5 / 4));
  EXPECT_DOUBLE_EQ(VLib::ValueInRange(0.5, 100, 1, 7, false), 50.0);
}

TEST(VLibTest, NumbersAreReadLikeAtoiWithAPointWhateverTheLocale) {
  const std::pair<const char*, int> ints[] = {{"  \t-17xyz", -17},
                                              {"abc", 0},
                                              {"3.9", 3},
                                              {"99999999999", INT_MAX},
                                              {"-99999999999", INT_MIN}};
  for (const auto& [text, n] : ints) EXPECT_EQ(VLib::ParseInt(text), n) << text;
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  const bool comma =
      std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "el_GR.UTF-8");
  EXPECT_DOUBLE_EQ(VLib::ParseFloat("  -0.25ms"), -0.25);
  EXPECT_DOUBLE_EQ(VLib::ParseFloat("2,5"), 2.0);
  EXPECT_DOUBLE_EQ(VLib::ParseFloat(".5"), 0.5);
  std::setlocale(LC_NUMERIC, before.c_str());
  if (!comma) GTEST_SKIP() << "no locale with a ',' decimal point is installed";
}

TEST(VLibTest, TheInstallPathIsReadFromTheRegistryEveryTime) {
  Installation inst;
  char* path = VLib::GetInstallPath();
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(std::string(path), inst.dir());
  VStr::Release(&path);
  ASSERT_EQ(platform::RegistrySetValue(VLib::kRegistryKey, VLib::kRegistryValue, "/elsewhere"),
            platform::kRegSuccess);
  EXPECT_EQ(VLib::MakePath("x"), "/elsewhere/x");
  platform::RegistrySetValue(VLib::kRegistryKey, VLib::kRegistryValue, "/" + std::string(898, 'd'));
  EXPECT_EQ(VLib::InstallPath().size(), 899u);  // the longest path that fits
}

TEST(VLibDeathTest, RegistryFailuresEndTheProgramWithTheirReport) {
  const std::string key = "HKEY_CURRENT_USER\\Software\\Quenmoor\\ZORVALIS";
  const struct {
    const char* name;  // the value written under the key, none when null
    std::string value;
    int code;
    std::string rc;
  } cases[] = {
      {nullptr, "", 541, "error reading registry. rc == 2"},
      {"other", "x", 540, "error reading path from registry. rc == 2"},
      {VLib::kRegistryValue, std::string(900, 'd'), 540,
       "error reading path from registry. rc == 234"},
  };
  for (const auto& c : cases) {
    testing_support::TempDir root;
    testing_support::ScopedEnv xdg("XDG_CONFIG_HOME", root.path().c_str());
    testing_support::ScopedCwd cwd(root.path());
    MessageRecorder boxes;
    if (c.name != nullptr) platform::RegistrySetValue(VLib::kRegistryKey, c.name, c.value);
    ExpectExit([] { VLib::MakePath("config.txt"); }, c.code);
    EXPECT_EQ(Reports(root / "TamrinError.txt"),
              (std::vector<std::string>{key, c.rc, "Error " + std::to_string(c.code)}));
  }
}

TEST(VLibTest, ReportsGoToTheirFileAndABoxAsWritten) {
  Installation inst;
  MessageRecorder boxes;
  VLib::ReportError("first %s %n %d");
  VLib::ReportError("two\nlines");
  EXPECT_EQ(Reports("TamrinError.txt"),
            (std::vector<std::string>{"first %s %n %d", "two", "lines"}));
  EXPECT_EQ(boxes.reports(), (std::vector<std::string>{"first %s %n %d", "two\nlines"}));
  EXPECT_EQ(boxes.messages()[0].first, "Tamrin Engine");
  VLib::Trace("one %s", "w", true, "trace.txt");
  VLib::Trace("two", "a", false, "trace.txt");
  EXPECT_EQ(ReadFile("trace.txt"), "one %s\ntwo");
}

TEST(VLibTest, TheLogHeldOpenByEnginesFollowsRestartsAndReleases) {
  Log::EnableErrors();
  {
    Installation first;
    VLib::HoldInstallation();  // two engines hold the installation
    VLib::HoldInstallation();
    Log::Init();
    Log::Error("before the restart");
    Log::Init();
    Log::Error("after the restart");
    VLib::ReleaseInstallation();
    EXPECT_EQ(first.Logged("before the restart"), 0);
    EXPECT_EQ(first.Logged("after the restart"), 1);
    testing_support::WriteFile(first.path("log.txt"), "");  // emptied by someone else
    Log::Module("VM_Last", true);
    VLib::ReleaseInstallation();
    EXPECT_EQ(ReadFile(first.path("log.txt")), "|->[ VM_Last ]\n");
  }
  Installation second;  // released by every engine, the installation is looked up anew
  VLib::HoldInstallation();
  Log::Error("elsewhere");
  VLib::ReleaseInstallation();
  EXPECT_EQ(second.Logged("elsewhere"), 1);
}

TEST(VLibTest, TheLogHeldOpenStartsAgainAfterItIsDeletedOrRenamed) {
  namespace fs = std::filesystem;
  Log::EnableErrors();
  Installation inst;
  VLib::HoldInstallation();
  const struct {
    const char* name;
    std::function<void()> move;
    std::string moved;  // where the earlier lines went
  } rows[] = {
      {"deleted", [&] { fs::remove(inst.path("log.txt")); }, ""},
      {"renamed", [&] { fs::rename(inst.path("log.txt"), inst.path("old.txt")); }, "old.txt"},
      {"replaced",
       [&] {
         testing_support::WriteFile(inst.path("log.txt") + ".new", "");
         fs::rename(inst.path("log.txt") + ".new", inst.path("log.txt"));
       },
       ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Log::Error("before");
    row.move();
    Log::Error(std::string("after ") + row.name);
    EXPECT_EQ(ReadLines(inst.path("log.txt")),
              std::vector<std::string>{std::string("*** ERROR:\tafter ") + row.name});
    if (!row.moved.empty()) {
      EXPECT_EQ(ReadLines(inst.path(row.moved)), std::vector<std::string>{"*** ERROR:\tbefore"});
    }
    fs::remove(inst.path("log.txt"));
  }
  VLib::ReleaseInstallation();
}

TEST(VLibDeathTest, AnUnwritableReportOrTraceFileExits550Once) {
  testing_support::TempDir dir;
  testing_support::ScopedCwd cwd(dir.path());
  MessageRecorder boxes;
  ExpectExit([&] { VLib::Trace("text", "a", true, (dir / "missing/trace.txt").c_str()); }, 550);
  EXPECT_EQ(Reports(dir / "TamrinError.txt"), std::vector<std::string>{dir / "missing/trace.txt"});
  std::filesystem::remove(dir / "TamrinError.txt");
  std::filesystem::create_directory(dir / "TamrinError.txt");  // cannot be opened for appending
  ExpectExit([] { VLib::ReportError("cannot be written"); }, 550);
}

}  // namespace
