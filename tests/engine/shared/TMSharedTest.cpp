// TMShared: the shared resources of the process, loaded in their order
// from a complete installation, with the code of the first pool that fails.
#include "engine/shared/TMShared.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "tests/common/Installation.h"

namespace {

using testing_support::FileExists;
using testing_support::Installation;
// Rule collections, lexicons, phones (loaded or not), tri-state files, user lexicons.
using Counts = std::vector<int>;
Counts CountsOf(TMShared& h) {
  return {h.GetAC()->Count(), h.GetTreeLexicon()->Count(), h.GetPhonePool()->PhoneCount() > 0,
          h.Get3States()->Count(), h.GetVUserLexicon()->Count()};
}

TEST(TMSharedTest, ACompleteInstallationLoadsEveryPoolOnceAndUnloadsTwiceSafely) {
  Installation inst;
  inst.Complete();
  testing_support::MessageRecorder boxes;
  auto shared = std::make_unique<TMShared>();
  ASSERT_EQ(shared->Load(), TMShared::kLoaded);
  EXPECT_TRUE(boxes.reports().empty());
  EXPECT_EQ(CountsOf(*shared), (Counts{2, 1, 1, 1, 1}));
  EXPECT_TRUE(FileExists(inst.path(TMShared::kMarkerName)));
  EXPECT_EQ(shared->Unload(), 0);
  EXPECT_EQ(shared->Unload(), 0);  // closes nothing twice (the sanitizer build would see it)
  EXPECT_FALSE(FileExists(inst.path(TMShared::kMarkerName)));
  EXPECT_EQ(shared->Load(), TMShared::kAlreadyLoaded);  // the first load's outcome is final
  EXPECT_EQ(CountsOf(*shared), (Counts{0, 0, 1, 0, 0}));
}

TEST(TMSharedTest, AnUnloadWhileEnginesLiveWaitsForTheLastOfThem) {
  Installation inst;
  inst.Complete();
  testing_support::MessageRecorder boxes;
  TMShared shared;
  ASSERT_EQ(shared.Load(), TMShared::kLoaded);
  const Counts loaded = CountsOf(shared);
  Tamrin engines[2];
  for (int i = 0; i < 2; ++i) {
    engines[i].SetShared(&shared);
    ASSERT_EQ(engines[i].Init("", i + 1, 0), 0);
  }
  EXPECT_EQ(shared.Unload(), 0);
  EXPECT_TRUE(shared.IsUnloadPending());
  EXPECT_EQ(engines[0].Finalize(), 0);
  EXPECT_EQ(CountsOf(shared), loaded);  // the other engine still reads them
  EXPECT_TRUE(FileExists(inst.path(TMShared::kMarkerName)));
  char* block = nullptr;
  long size = 0;
  EXPECT_EQ(engines[1].SpeakToBuffer("abc", true, &block, &size), 0);
  delete[] block;
  EXPECT_EQ(engines[1].Finalize(), 0);  // the last one unloads them
  EXPECT_FALSE(shared.IsUnloadPending());
  EXPECT_EQ(CountsOf(shared), (Counts{0, 0, 1, 0, 0}));
  EXPECT_FALSE(FileExists(inst.path(TMShared::kMarkerName)));
  EXPECT_EQ(shared.Unload(), 0);  // with no engine: at once, and nothing twice
  EXPECT_TRUE(boxes.reports().empty());
}

TEST(TMSharedTest, TheFirstPoolThatFailsEndsTheLoadWithItsCode) {
  // No case for -1040: the phone table loads whatever its file holds.
  const struct {
    const char* remove;  // the part of the installation taken away
    int code;
    Counts counts;
  } cases[] = {
      {"config.txt", TMShared::kConfigurationFailed, {0, 0, 0, 0, 0}},
      {"rules", TMShared::kACFailed, {0, 0, 0, 0, 0}},
      {"lexicon", TMShared::kTreeLexiconFailed, {2, 0, 0, 0, 0}},
      {"tristate", TMShared::k3StatesFailed, {2, 1, 1, 0, 0}},
      {"user", TMShared::kVUserLexiconFailed, {2, 1, 1, 1, 0}},
      {"v58", TMShared::kV58CompilerFailed, {2, 1, 1, 1, 0}},
      {TMShared::kMarkerName, TMShared::kMarkerFailed, {0, 0, 0, 0, 0}},  // a folder in its place
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.remove);
    Installation inst;
    inst.Complete();
    std::filesystem::remove_all(inst.path(c.remove));
    if (c.code == TMShared::kMarkerFailed) std::filesystem::create_directory(inst.path(c.remove));
    testing_support::MessageRecorder boxes;
    TMShared shared;
    EXPECT_EQ(shared.Load(), c.code);
    EXPECT_EQ(CountsOf(shared), c.counts);
    EXPECT_EQ(boxes.reports().size(), c.code == TMShared::kMarkerFailed ? 0u : 2u);
    EXPECT_EQ(shared.Load(), TMShared::kAlreadyLoaded);
  }
}

TEST(TMSharedDeathTest, DestroyingALoadedHolderNeverEndsTheProcess) {
  Installation inst;
  inst.Complete();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // Without a registered installation the engine's paths end the process;
  // destruction must not need one.
  const std::string unregistered = inst.workDir() + "/unregistered";
  for (const bool instance : {false, true}) {
    EXPECT_EXIT(
        {
          // The child ends without unwinding, so its own copy of the
          // installation goes at exit, after the shared resources.
          static std::string root;
          root = std::filesystem::path(inst.dir()).parent_path().string();
          std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(root, ec);
          });
          TMShared* shared = instance ? &TMShared::Instance() : new TMShared();
          if (shared->Load() != 0) std::exit(3);
          setenv("XDG_CONFIG_HOME", unregistered.c_str(), 1);
          if (!instance) delete shared;
          std::exit(0);  // runs the static destructors
        },
        testing::ExitedWithCode(0), "");
  }
}

}  // namespace
