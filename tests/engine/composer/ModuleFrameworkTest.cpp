// The module framework: named tables, the module directory and the chains
// that voice fonts run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/base/VMap.h"
#include "engine/composer/VControl.h"
#include "engine/composer/VModuleChain.h"
#include "engine/composer/VModuleDirectory.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FakeComposer;
using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;

// A module that records what happens to it in a shared journal.
class JournalModule : public VModule {
 public:
  JournalModule(const std::string& name, std::vector<std::string>* journal, bool result = true)
      : VModule(name), journal_(journal), result_(result) {}
  ~JournalModule() override { journal_->push_back("delete " + GetName()); }
  bool ReleaseResources() override { return Note("release"); }
  bool Init() override { return Note("init"); }
  bool SetUp() override { return Note("setup") && setUpResult; }
  bool Run() override {
    Note("run");
    if (onRun) onRun();
    return result_;
  }
  bool Release() override { return true; }

  bool setUpResult = true;
  std::function<void()> onRun;

 private:
  bool Note(const std::string& what) {
    journal_->push_back(what + " " + GetName());
    return true;
  }
  std::vector<std::string>* journal_;
  bool result_;
};

struct Item {
  explicit Item(int* deleted) : deleted_(deleted) {}
  ~Item() { ++*deleted_; }
  int* deleted_;
};

TEST(VMapTest, FindIsExactAndTheEarlierEntryWins) {
  TestInstallation install;
  int deleted = 0;
  {
    VMap<Item> map;
    auto* first = new Item(&deleted);
    ASSERT_TRUE(map.Add("greek.ac", first));
    ASSERT_TRUE(map.Add("greek.ac", new Item(&deleted)));
    EXPECT_EQ(map.Find("greek.ac"), first);
    EXPECT_EQ(map.Find("greek"), nullptr);
    EXPECT_EQ(map.Find("Greek.ac"), nullptr);
    // A dump lists, deletes and empties.
    map.Dump();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(map.Find("greek.ac"), nullptr);
    map.Dump();
  }
  const std::vector<std::string> lines = ReadLines(install.path("log.txt"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "2");
  EXPECT_EQ(lines[1].rfind("0:", 0), 0u);
  EXPECT_NE(lines[1].find("->"), std::string::npos);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 9), ":greek.ac");
  EXPECT_EQ(lines[2].rfind("1:", 0), 0u);
  EXPECT_EQ(lines[3], "0");
  EXPECT_EQ(lines[4], "~VMap()");
}

TEST(VMapTest, DestructionWritesOneLineAndDeletesNothing) {
  TestInstallation install;
  int deleted = 0;
  Item kept(&deleted);
  { VMap<Item> map; }
  {
    VMap<Item> map;
    map.Add("kept", &kept);
  }
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(ReadLines(install.path("log.txt")), (std::vector<std::string>{"~VMap()", "~VMap()"}));
}

TEST(VMapTest, RefusesBeyondCapacityAndTheSameItemTwice) {
  TestInstallation install;
  int deleted = 0;
  VMap<Item> map;
  std::vector<Item*> items;
  for (int i = 0; i < VMap<Item>::kCapacity; ++i) {
    items.push_back(new Item(&deleted));
    ASSERT_TRUE(map.Add("item" + std::to_string(i), items.back()));
  }
  Item extra(&deleted);
  EXPECT_FALSE(map.Add("extra", &extra));
  EXPECT_EQ(map.Count(), VMap<Item>::kCapacity);
  EXPECT_EQ(map.Find("extra"), nullptr);

  VMap<Item> small;
  EXPECT_TRUE(small.Add("x", &extra));
  EXPECT_FALSE(small.Add("y", &extra));
  EXPECT_EQ(small.Count(), 1);

  const std::vector<std::string> lines = ReadLines(install.path("log.txt"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "*** ERROR:\tVMap::Add@table full (100 entries), [extra] not added");
  EXPECT_EQ(lines[1], "*** ERROR:\tVMap::Add@[y] is already in the table");
  map.Dump();
  EXPECT_EQ(deleted, VMap<Item>::kCapacity);
}

class FrameworkTest : public ::testing::Test {
 protected:
  JournalModule* Register(const std::string& name, bool result = true) {
    auto* m = new JournalModule(name, &journal, result);
    EXPECT_TRUE(composer.directory.AddModule(m));
    return m;
  }
  // The chain of the modules, with the journal emptied.
  void Build(std::initializer_list<VModule*> modules) {
    chain.SetComposer(&composer);
    for (VModule* m : modules) chain.AddModule(m);
    journal.clear();
  }
  void TearDown() override { composer.directory.ReleaseAll(); }

  TestInstallation install;
  MessageRecorder messages;
  std::vector<std::string> journal;
  FakeComposer composer;
  VModuleChain chain;
};

using Journal = std::vector<std::string>;

TEST_F(FrameworkTest, RegistrationInitialisesAndEnables) {
  auto* a = Register("VM_A");
  EXPECT_EQ(journal, (std::vector<std::string>{"init VM_A"}));
  EXPECT_EQ(a->PeekComposer(), &composer);
  EXPECT_TRUE(a->IsEnabled());
  EXPECT_EQ(composer.directory.Find("VM_A"), a);
  EXPECT_EQ(composer.directory.Find("VM_Missing"), nullptr);

  // The same name registers again; lookups keep the earlier module.
  auto* again = Register("VM_A");
  EXPECT_EQ(composer.directory.Count(), 2);
  EXPECT_EQ(composer.directory.Find("VM_A"), a);
  EXPECT_NE(again, a);

  // The same object twice is refused.
  EXPECT_FALSE(composer.directory.AddModule(a));
  EXPECT_EQ(composer.directory.Count(), 2);
}

TEST_F(FrameworkTest, ReleaseAllReleasesThenDeletesEveryModule) {
  Register("VM_A");
  Register("VM_B");
  journal.clear();
  composer.directory.ReleaseAll();
  EXPECT_EQ(journal, (std::vector<std::string>{"release VM_A", "release VM_B", "delete VM_A",
                                               "delete VM_B"}));
  EXPECT_EQ(composer.directory.Count(), 0);
}

TEST_F(FrameworkTest, DirectoryWithoutComposerReportsAndRegisters) {
  VModuleDirectory orphan;
  auto* m = new JournalModule("VM_A", &journal);
  EXPECT_TRUE(orphan.AddModule(m));
  EXPECT_EQ(orphan.Find("VM_A"), m);
  const auto shown = messages.messages();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].first, "Tamrin Engine");
  EXPECT_NE(shown[0].second.find("\tNull Tamrin."), std::string::npos);
  EXPECT_NE(shown[1].second.find("\tVModuleDirectory:59:NULL Tamrin"), std::string::npos);
  EXPECT_NE(shown[2].second.find("\tNull Tamrin."), std::string::npos);
  orphan.ReleaseAll();
}

TEST_F(FrameworkTest, ChainRunsEnabledModulesInOrder) {
  auto* a = Register("VM_A");
  auto* b = Register("VM_B");
  auto* c = Register("VM_C");
  Build({a, b, c});
  b->SetEnabled(false);
  chain.Run(nullptr);
  EXPECT_EQ(composer.resets, 1);
  EXPECT_EQ(journal, (Journal{"run VM_A", "run VM_C"}));

  // After a given module only the ones behind it run; after the last, none.
  journal.clear();
  chain.Run(a);
  EXPECT_EQ(journal, (Journal{"run VM_C"}));
  journal.clear();
  chain.Run(c);
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(composer.resets, 3);

  // A module that is not in the chain: nothing runs.
  auto* outside = Register("VM_Outside");
  journal.clear();
  chain.Run(outside);
  EXPECT_TRUE(journal.empty());
}

TEST_F(FrameworkTest, ChainStopsAtAFailingModule) {
  Build({Register("VM_A"), Register("VM_Fail", false), Register("VM_C")});
  chain.Run(nullptr);
  EXPECT_EQ(journal, (Journal{"run VM_A", "run VM_Fail"}));
}

TEST_F(FrameworkTest, ChainEndsOnAbort) {
  auto* a = Register("VM_A");
  Build({a, Register("VM_B")});
  a->onRun = [] { VControl::SetAbort(true); };
  chain.Run(nullptr);
  EXPECT_EQ(journal, (Journal{"run VM_A"}));

  // A run entered while the flag is set runs no module.
  a->onRun = nullptr;
  journal.clear();
  chain.Run(nullptr);
  EXPECT_TRUE(journal.empty());
  VControl::SetAbort(false);
}

TEST_F(FrameworkTest, ModuleNamedTwiceStandsOnceAtItsLaterPlace) {
  auto* a = Register("VM_A");
  Build({a, Register("VM_B"), a});
  ASSERT_EQ(chain.Size(), 2);
  EXPECT_EQ(chain.At(0).name, "VM_B");
  EXPECT_EQ(chain.At(1).name, "VM_A");
  EXPECT_EQ(chain.IndexOf("VM_A"), 1);
  EXPECT_EQ(chain.IndexOf("VM_X"), -1);
  EXPECT_EQ(chain.IndexOf(nullptr), -1);
  chain.Run(nullptr);
  EXPECT_EQ(journal, (Journal{"run VM_B", "run VM_A"}));
}

TEST_F(FrameworkTest, SetUpAllSetsUpDisabledModulesAndStopsAtAFailure) {
  auto* a = Register("VM_A");
  auto* b = Register("VM_B");
  Build({a, b, Register("VM_C")});
  a->SetEnabled(false);
  EXPECT_EQ(chain.SetUpAll(), 0);
  EXPECT_EQ(journal, (Journal{"setup VM_A", "setup VM_B", "setup VM_C"}));
  EXPECT_EQ(composer.lastError, 0);

  b->setUpResult = false;
  journal.clear();
  EXPECT_EQ(chain.SetUpAll(), -1110);
  EXPECT_EQ(journal, (Journal{"setup VM_A", "setup VM_B"}));
  EXPECT_EQ(composer.lastError, -1110);
  const auto shown = messages.messages();
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(shown.back().second.find("\tError: setting up module [VM_B]"), std::string::npos);
  const std::vector<std::string> report = ReadLines(install.workDir() + "/TamrinError.txt");
  ASSERT_EQ(report.size(), 1u);
  EXPECT_EQ(report[0].substr(14), "\tError: setting up module [VM_B]");
}

TEST_F(FrameworkTest, ChainWithoutComposerReportsAndRunsNothing) {
  auto* a = Register("VM_A");
  VModuleChain lone;
  lone.AddModule(a);  // reports, and leaves the module without a composer
  EXPECT_EQ(a->PeekComposer(), nullptr);
  messages.clear();
  journal.clear();
  lone.Run(nullptr);
  EXPECT_TRUE(journal.empty());
  const auto shown = messages.messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].second.find("\tNull Tamrin."), std::string::npos);
}

TEST(VControlTest, FlagsKeepTheirInvariants) {
  VControl control;
  EXPECT_FALSE(control.IsPlaying());
  EXPECT_FALSE(control.IsPaused());
  EXPECT_TRUE(control.IsStopped());
  EXPECT_FALSE(control.IsSpeaking());
  EXPECT_TRUE(control.IsIdle());
  EXPECT_FALSE(VControl::IsAbort());

  control.SetPaused(true);
  control.SetPlaying(true);
  EXPECT_FALSE(control.IsPaused());
  EXPECT_TRUE(control.IsPlaying());
  EXPECT_FALSE(control.IsStopped());
  control.SetPaused(true);
  control.SetStopped(true);
  EXPECT_FALSE(control.IsPaused() || control.IsPlaying());
  control.SetSpeaking(true);
  EXPECT_FALSE(control.IsIdle());
  control.SetIdle(true);
  EXPECT_FALSE(control.IsSpeaking());

  // One abort flag for the process; a new VControl clears it.
  VControl other;
  VControl::SetAbort(true);
  EXPECT_TRUE(VControl::IsAbort());
  VControl third;
  EXPECT_FALSE(VControl::IsAbort());
}

}  // namespace
