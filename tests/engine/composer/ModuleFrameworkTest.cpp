// The module framework: named tables, the module directory, the chains
// that voice fonts run, and the pool of voice fonts.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/composer/VCharacter.h"
#include "engine/composer/VCharacterPool.h"
#include "engine/composer/VControl.h"
#include "engine/composer/VModuleChain.h"
#include "engine/composer/VModuleDirectory.h"
#include "engine/shared/TMShared.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/Installation.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using Names = std::vector<std::string>;

class FrameworkTest : public testing::Test {
 protected:
  FrameworkTest() {
    composer_.shared = &shared_;
    composer_.pool = &pool_;
    pool_.SetComposer(&composer_);
    for (const std::string name : {"VM_A", "VM_B", "VM_C"}) {  // they note what happens to them
      modules_.push_back(new engine_testing::HookModule(name));
      modules_.back()->onSetUp = [this, name] {
        journal_.push_back("setup " + name);
        return name != failSetUp_;
      };
      modules_.back()->onRun = [this, name] {
        journal_.push_back("run " + name);
        if (name == abortAt_) VControl::Abort();
        return name != failRun_;
      };
      composer_.directory.AddModule(modules_.back());
    }
    inst_.write("config.txt", "VoiceFonts.Directory=fonts\nVoiceFonts.Suffix=.vof\n");
    shared_.GetConfiguration()->Load(inst_.path("config.txt"));
  }
  ~FrameworkTest() override {
    pool_.Clear();
    composer_.directory.ReleaseAll();
  }
  Names Run(VModuleChain& chain) {
    journal_.clear();
    chain.Run(nullptr);
    return journal_;
  }
  Names ChainOf(const std::string& key) const {
    Names names;
    const VCharacter* character = pool_.Find(key);
    if (character == nullptr) return {"<no character>"};
    for (int i = 0; i < character->GetChain()->Size(); ++i)
      names.push_back(character->GetChain()->At(i).name);
    return names;
  }

  testing_support::Installation inst_;
  testing_support::MessageRecorder boxes_;
  TMShared shared_;
  testing_support::FakeComposer composer_;
  VCharacterPool pool_;
  Names journal_;
  std::string failSetUp_, failRun_, abortAt_;
  std::vector<engine_testing::HookModule*> modules_;
};

TEST_F(FrameworkTest, AChainRunsItsEnabledModulesInOrderAndStopsAtAFailureOrAnAbort) {
  VModuleChain chain;
  chain.SetComposer(&composer_);
  for (int i : {0, 1, 2, 0}) chain.AddModule(modules_[i]);
  EXPECT_EQ(Run(chain),
            (Names{"run VM_B", "run VM_C", "run VM_A"}));  // named twice: the later place
  EXPECT_EQ(composer_.resets, 1);
  modules_[2]->SetEnabled(false);
  failRun_ = "VM_B";
  EXPECT_EQ(Run(chain), (Names{"run VM_B"}));
  failRun_.clear();
  abortAt_ = "VM_B";
  EXPECT_EQ(Run(chain), (Names{"run VM_B"}));
  EXPECT_EQ(Run(chain), Names{});  // entered after the stop
  composer_.control.BeginRun();
  journal_.clear();
  EXPECT_EQ(chain.SetUpAll(), 0);  // disabled modules too
  EXPECT_EQ(journal_, (Names{"setup VM_B", "setup VM_C", "setup VM_A"}));
  failSetUp_ = "VM_C";
  EXPECT_EQ(chain.SetUpAll(), -1110);
  EXPECT_EQ(composer_.lastError, -1110);
  EXPECT_EQ(boxes_.reports(), Names{"Error: setting up module [VM_C]"});
  VModuleChain lone;  // without a composer: reported, runs nothing
  lone.AddModule(modules_[0]);
  const size_t reports = boxes_.reports().size();
  EXPECT_EQ(Run(lone), Names{});
  EXPECT_EQ(boxes_.reports().size(), reports + 1);
}

TEST_F(FrameworkTest, ThePoolEntersFontsInNameOrderWithChainsAndTheDefaultFontsValues) {
  inst_.write("fonts/default.vof", "Playback.Method=cplayback\nVModuleChain.Modules=VM_C\n");
  inst_.write("fonts/b.txt", "");
  const std::pair<const char*, Names> chains[] = {{"VM_A;VM_B;", {"VM_A", "VM_B"}},
                                                  {"VM_A;;VM_B", {"VM_A"}},
                                                  {"VM_A;VM_X;VM_B", {"VM_A", "VM_B"}},
                                                  {"VM_A; VM_B;VM_C", {"VM_A", "VM_C"}},
                                                  {";VM_A", {}}};
  for (size_t i = 0; i < std::size(chains); ++i) {
    inst_.write("fonts/f" + std::to_string(i) + ".vof",
                std::string("Playback.Method=\nVModuleChain.Modules=") + chains[i].first + "\n");
  }
  inst_.write("fonts/nolist.vof", "Settings.DisplayName=x\n");
  ASSERT_TRUE(pool_.Load());
  EXPECT_EQ(pool_.GetName(0), "default.vof");
  EXPECT_EQ(pool_.Count(), static_cast<int>(std::size(chains)) + 2);
  for (size_t i = 0; i < std::size(chains); ++i)
    ASSERT_EQ(ChainOf("f" + std::to_string(i) + ".vof"), chains[i].second) << i;
  ASSERT_EQ(ChainOf("nolist.vof"), Names{"VM_C"});
  EXPECT_EQ(pool_.Find("f0.vof")->GetParameter("Playback.Method"), "cplayback");  // empty in f0.vof
  VCharacter alone;  // without composer or pool: its own file only
  alone.Load(inst_.path("fonts/f0.vof"));
  EXPECT_EQ(alone.GetParameter("Playback.Method"), "");
  EXPECT_EQ(pool_.Find("nolist.vof")->GetParameter("TIMEQUANTUM"), "");
  EXPECT_EQ(boxes_.reports(), Names{"Error: parameter [TIMEQUANTUM] was not found in [" +
                                    inst_.path("fonts/default.vof") + "]"});
}

TEST_F(FrameworkTest, FontsBeyondCapacityAreSkippedWithOneReport) {
  inst_.write("fonts/default.vof", "VModuleChain.Modules=VM_B\n");
  for (int i = 1000; i < 1101; ++i)
    inst_.write("fonts/f" + std::to_string(i).substr(1) + ".vof", "");
  ASSERT_TRUE(pool_.Load());
  EXPECT_EQ(pool_.Count(), VCharacterPool::kCapacity);
  EXPECT_EQ(pool_.Find("f099.vof"), nullptr);
  EXPECT_EQ(boxes_.reports(), Names{"Error: too many voice fonts in " + inst_.path("fonts") +
                                    ", f099.vof and later files skipped"});
}

}  // namespace
