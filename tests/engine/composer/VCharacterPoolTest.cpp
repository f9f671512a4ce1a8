#include "engine/composer/VCharacterPool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "engine/composer/VCharacter.h"
#include "engine/composer/VModule.h"
#include "engine/shared/TMShared.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FakeComposer;
using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;

// A module that does nothing; the chains only refer to it.
class TestModule : public VModule {
 public:
  explicit TestModule(const std::string& name) : VModule(name) {}
  bool ReleaseResources() override { return true; }
  bool Init() override { return true; }
  bool SetUp() override { return true; }
  bool Run() override { return true; }
  bool Release() override { return true; }
};

// A character whose module list is given directly, so that it may hold line
// feeds, which no settings file line can.
class ListedCharacter : public VCharacter {
 public:
  explicit ListedCharacter(std::string modules) : modules_(std::move(modules)) {}
  std::string GetParameter(const std::string& key) const override {
    return key == "VModuleChain.Modules" ? modules_ : std::string();
  }

 private:
  std::string modules_;
};

class VCharacterPoolTest : public testing::Test {
 protected:
  VCharacterPoolTest() {
    composer_.shared = &shared_;
    composer_.pool = &pool_;
    pool_.SetComposer(&composer_);
    for (const char* name : {"VM_A", "VM_B", "VM_C"}) {
      composer_.directory.AddModule(new TestModule(name));
    }
  }

  ~VCharacterPoolTest() override {
    pool_.Clear();
    composer_.directory.ReleaseAll();
  }

  void Configure(
      const std::string& content = "VoiceFonts.Directory=fonts\nVoiceFonts.Suffix=.vof\n") {
    install_.write("config.txt", content);
    shared_.GetConfiguration()->Load(install_.path("config.txt"));
  }

  void Font(const std::string& name, const std::string& content = "") {
    install_.write("fonts/" + name, content);
  }

  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (int i = 0; i < pool_.Count(); ++i) keys.push_back(pool_.GetName(i));
    return keys;
  }

  static std::vector<std::string> ChainOf(VCharacter* ch) {
    std::vector<std::string> names;
    if (ch == nullptr) return {"<no character>"};
    for (int i = 0; i < ch->GetChain()->Size(); ++i) names.push_back(ch->GetChain()->At(i).name);
    return names;
  }

  std::vector<std::string> ChainOf(const std::string& key) const {
    return ChainOf(pool_.Find(key));
  }

  std::vector<std::string> Reported() const { return boxes_.reports(); }

  TestInstallation install_;
  MessageRecorder boxes_;
  TMShared shared_;
  FakeComposer composer_;
  VCharacterPool pool_;
};

using Names = std::vector<std::string>;

TEST_F(VCharacterPoolTest, EntersFontsWithTheSuffixInFileNameOrder) {
  Configure();
  Font("z.vof");
  Font("b.txt");
  Font("default.vof", "VModuleChain.Modules=VM_A\n");
  Font("a.vof");
  ASSERT_TRUE(pool_.Load());
  EXPECT_EQ(Keys(), (Names{"a.vof", "default.vof", "z.vof"}));
  EXPECT_EQ(pool_.GetName(3), "");
  EXPECT_EQ(pool_.At(3), nullptr);
  VCharacter* a = pool_.Find("a.vof");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(pool_.At(0), a);
  EXPECT_EQ(a->GetParam("__ID__", false), install_.path("fonts/a.vof"));
  EXPECT_EQ(a->GetChain()->PeekComposer(), &composer_);
  EXPECT_EQ(pool_.Find("A.vof"), nullptr);
  EXPECT_EQ(pool_.Find("a"), nullptr);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VCharacterPoolTest, SuffixMatchesTheWholeEndOfTheNameCaseSensitively) {
  const std::pair<const char*, Names> cases[] = {
      {".vof", {".vof", "x.vof"}}, {"", {".vof", "vof", "x.VOF", "x.vof"}}, {".VOF", {"x.VOF"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    TestInstallation install;
    MessageRecorder boxes;
    TMShared shared;
    FakeComposer composer;
    composer.shared = &shared;
    VCharacterPool pool;
    composer.pool = &pool;
    pool.SetComposer(&composer);
    install.write("config.txt",
                  "VoiceFonts.Directory=fonts\nVoiceFonts.Suffix=" + std::string(c.first));
    shared.GetConfiguration()->Load(install.path("config.txt"));
    for (const char* name : {"vof", ".vof", "x.VOF", "x.vof"})
      install.write("fonts/" + std::string(name), "");
    ASSERT_TRUE(pool.Load());
    Names keys;
    for (int i = 0; i < pool.Count(); ++i) keys.push_back(pool.GetName(i));
    EXPECT_EQ(keys, c.second);
    EXPECT_TRUE(boxes.messages().empty());
    pool.Clear();
  }
}

TEST_F(VCharacterPoolTest, MissingSuffixKeyIsReportedAndMatchesEveryFile) {
  Configure("VoiceFonts.Directory=fonts\n");
  Font("a.vof");
  Font("b.txt");
  ASSERT_TRUE(pool_.Load());
  EXPECT_EQ(Keys(), (Names{"a.vof", "b.txt"}));
  EXPECT_EQ(Reported(), Names{"Error: parameter [VoiceFonts.Suffix] was not found in [" +
                              install_.path("config.txt") + "]"});
}

TEST_F(VCharacterPoolTest, MissingOrEmptyKeysFallBackToDefaultFont) {
  Configure();
  Font("a.vof", "Playback.Method=\nSettings.DisplayName=Anna\n");
  Font("default.vof",
       "Playback.Method=cplayback\nSettings.DisplayName=Default\nTIMEQUANTUM=5\n"
       "VModuleChain.Modules=VM_A\n");
  ASSERT_TRUE(pool_.Load());
  const VCharacter* a = pool_.Find("a.vof");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetParameter("Settings.DisplayName"), "Anna");
  EXPECT_EQ(a->GetParameter("Playback.Method"), "cplayback");   // empty in a.vof
  EXPECT_EQ(a->GetParameter(std::string("TIMEQUANTUM")), "5");  // absent from a.vof
  EXPECT_EQ(a->GetParam("Playback.Method", false), "");
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VCharacterPoolTest, KeyMissingFromDefaultFontIsReportedWithItsPath) {
  Configure();
  Font("a.vof", "Settings.DisplayName=Anna\n");
  Font("default.vof", "Settings.DisplayName=Default\nVModuleChain.Modules=VM_A\n");
  ASSERT_TRUE(pool_.Load());
  const std::string expected = "Error: parameter [Playback.Method] was not found in [" +
                               install_.path("fonts/default.vof") + "]";
  EXPECT_EQ(pool_.Find("a.vof")->GetParameter("Playback.Method"), "");
  EXPECT_EQ(Reported(), Names{expected});

  // The default font asks itself twice and reports once.
  boxes_.clear();
  EXPECT_EQ(pool_.Find("default.vof")->GetParameter("Playback.Method"), "");
  EXPECT_EQ(Reported(), Names{expected});
  boxes_.clear();
  EXPECT_EQ(pool_.Find("a.vof")->GetParameter(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(Reported().size(), 1u);
}

TEST_F(VCharacterPoolTest, CharacterWithoutComposerOrPoolAnswersFromItsOwnFile) {
  Configure();
  Font("a.vof", "Settings.DisplayName=Anna\nPlayback.Method=\n");
  Font("default.vof", "Playback.Method=mbrola\nVModuleChain.Modules=VM_A\n");
  ASSERT_TRUE(pool_.Load());

  VCharacter alone;
  alone.Load(install_.path("fonts/a.vof"));
  EXPECT_EQ(alone.GetParameter("Settings.DisplayName"), "Anna");
  EXPECT_EQ(alone.GetParameter("Playback.Method"), "");
  EXPECT_EQ(alone.GetParameter("Missing.Key"), "");

  FakeComposer poolless;
  VCharacter bound;
  bound.SetComposer(&poolless);
  bound.Load(install_.path("fonts/a.vof"));
  EXPECT_EQ(bound.GetParameter("Playback.Method"), "");

  // A pool without default.vof: a missing key reads empty, unreported.
  VCharacterPool empty;
  composer_.pool = &empty;
  alone.SetComposer(&composer_);
  EXPECT_EQ(alone.GetParameter("Playback.Method"), "");
  // The composer's pool holds default.vof: the key falls back.
  composer_.pool = &pool_;
  EXPECT_EQ(alone.GetParameter("Playback.Method"), "mbrola");
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VCharacterPoolTest, ChainsFollowTheModuleLists) {
  struct Case {
    const char* list;
    Names chain;
  };
  const Case cases[] = {
      {"VM_A;VM_B", {"VM_A", "VM_B"}},
      {"VM_A;VM_B;", {"VM_A", "VM_B"}},
      {"VM_A;;VM_B", {"VM_A"}},
      {";VM_A", {}},
      {"VM_C;VM_A;VM_B", {"VM_C", "VM_A", "VM_B"}},
      {"VM_A;VM_NoSuchModule;VM_B", {"VM_A", "VM_B"}},
      {"VM_A;VM_B;VM_A", {"VM_B", "VM_A"}},
      {"vm_a;VM_B", {"VM_B"}},
      {"VM_A; VM_B;VM_C", {"VM_A", "VM_C"}},
      {"VM_NoSuchModule", {}},
  };
  Configure();
  Font("default.vof", "VModuleChain.Modules=VM_C\n");
  Font("nolist.vof", "Settings.DisplayName=x\n");
  int i = 0;
  for (const Case& c : cases) {
    Font("f" + std::to_string(i++) + ".vof", std::string("VModuleChain.Modules=") + c.list + "\n");
  }
  ASSERT_TRUE(pool_.Load());
  i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    EXPECT_EQ(ChainOf("f" + std::to_string(i++) + ".vof"), c.chain);
  }
  EXPECT_EQ(ChainOf("nolist.vof"), Names{"VM_C"});  // the list of default.vof
  EXPECT_EQ(ChainOf("default.vof"), Names{"VM_C"});

  // The chain refers to the registered module objects and gave them the composer.
  const VModuleChain* chain = pool_.Find("f0.vof")->GetChain();
  EXPECT_EQ(chain->At(0).module, composer_.directory.Find("VM_A"));
  EXPECT_EQ(chain->At(0).module->PeekComposer(), &composer_);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VCharacterPoolTest, LineFeedsSeparateModuleNamesLikeSemicolons) {
  const std::pair<const char*, Names> cases[] = {{"VM_A\nVM_B", {"VM_A", "VM_B"}},
                                                 {"VM_A\nVM_B\n", {"VM_A", "VM_B"}},
                                                 {"VM_A;VM_B\nVM_C", {"VM_A", "VM_B", "VM_C"}},
                                                 {"VM_A\n\nVM_B", {"VM_A"}},
                                                 {"VM_A;\nVM_B", {"VM_A"}},
                                                 {"\nVM_A", {}},
                                                 {"", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    ListedCharacter ch(c.first);
    ch.SetComposer(&composer_);
    pool_.BuildChain(&ch);
    EXPECT_EQ(ChainOf(&ch), c.second);
  }
}

TEST_F(VCharacterPoolTest, MissingDirectoryIsReportedAndLoadFails) {
  Configure("VoiceFonts.Directory=nofonts\nVoiceFonts.Suffix=.vof\n");
  install_.write("nofonts.txt", "");
  EXPECT_FALSE(pool_.Load());
  EXPECT_EQ(pool_.Count(), 0);
  EXPECT_EQ(Reported(), Names{"Error reading VoiceFonts.Directory " + install_.path("nofonts")});
}

TEST_F(VCharacterPoolTest, FontsBeyondCapacityAreSkippedWithOneReport) {
  Configure();
  Font("default.vof", "VModuleChain.Modules=VM_B\n");
  char name[16];
  for (int i = 0; i < 101; ++i) {
    std::snprintf(name, sizeof name, "f%03d.vof", i);
    Font(name);
  }
  ASSERT_TRUE(pool_.Load());
  ASSERT_EQ(pool_.Count(), VCharacterPool::kCapacity);
  EXPECT_EQ(pool_.GetName(0), "default.vof");
  EXPECT_EQ(pool_.GetName(99), "f098.vof");
  EXPECT_EQ(pool_.Find("f099.vof"), nullptr);
  EXPECT_EQ(pool_.Find("f100.vof"), nullptr);
  EXPECT_EQ(Reported(), Names{"Error: too many voice fonts in " + install_.path("fonts") +
                              ", f099.vof and later files skipped"});
  // Every entered font got its chain.
  EXPECT_EQ(ChainOf("f098.vof"), Names{"VM_B"});
}

TEST_F(VCharacterPoolTest, ClearListsTheTableInTheLogAndDeletesTheCharacters) {
  Configure();
  Font("a.vof");
  Font("default.vof");
  ASSERT_TRUE(pool_.Load());
  const size_t before = ReadLines(install_.path("log.txt")).size();
  EXPECT_TRUE(pool_.Clear());
  EXPECT_EQ(pool_.Count(), 0);
  EXPECT_EQ(pool_.Find("a.vof"), nullptr);
  EXPECT_TRUE(pool_.Clear());

  const std::vector<std::string> lines = ReadLines(install_.path("log.txt"));
  ASSERT_EQ(lines.size(), before + 4);
  EXPECT_EQ(lines[before], "2");
  EXPECT_TRUE(std::regex_match(lines[before + 1], std::regex("0:0x[0-9a-f]+->0x[0-9a-f]+:a\\.vof")))
      << lines[before + 1];
  EXPECT_TRUE(
      std::regex_match(lines[before + 2], std::regex("1:0x[0-9a-f]+->0x[0-9a-f]+:default\\.vof")))
      << lines[before + 2];
  EXPECT_EQ(lines[before + 3], "0");
}

TEST_F(VCharacterPoolTest, LoadWithoutComposerOrConfigurationFails) {
  VCharacterPool orphan;
  EXPECT_FALSE(orphan.Load());
  EXPECT_EQ(Reported(), Names{"Null Tamrin."});

  boxes_.clear();
  FakeComposer bare;
  VCharacterPool pool;
  pool.SetComposer(&bare);
  EXPECT_FALSE(pool.Load());
  EXPECT_EQ(Reported().size(), 1u);
  EXPECT_EQ(pool.Count(), 0);
}

}  // namespace
