// The linter's warnings about a voice font whose chain runs the layer,
// duration and intonation modules out of the order they need.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"
#include "tools/datalint/DataLint.h"

namespace {

// A complete installation, to which each test adds a font.
class DataLintChainTest : public testing::Test {
 protected:
  DataLintChainTest() { inst.Complete(); }

  testing_support::TempDir dir;
  testing_support::ScopedCwd cwd{dir.path()};
  testing_support::InstallationBuilder inst{dir / "install"};
};

TEST_F(DataLintChainTest, AChainOutOfOrderIsNamedPairByPair) {
  // VM_LayerWord, named three times, runs at its last place.
  inst.Text("fonts/chain.vof",
            "VModuleChain.Modules=VM_LayerWord;VM_LayerSyllable;VM_InFilter;VM_LayerWord;"
            "VM_LayerPhrase;VM_LayerSentence;VM_LayerWord;VM_IntonationSyllable;VM_DurationWord;"
            "VM_IntonationV58;VM_SmoothF0;VM_DurationFilter\n");
  std::vector<std::string> expected;
  for (const char* pair :
       {"VM_LayerSyllable before VM_InFilter", "VM_LayerPhrase before VM_LayerWord",
        "VM_IntonationSyllable before VM_DurationWord",
        "VM_IntonationSyllable before VM_DurationFilter",
        "VM_IntonationSyllable before VM_IntonationV58", "VM_SmoothF0 before VM_DurationFilter"}) {
    expected.push_back(std::string("fonts/chain.vof: VModuleChain.Modules runs ") + pair +
                       ", which must run first");
  }
  EXPECT_EQ(datalint::Lint(inst.dir()), expected);
}

TEST_F(DataLintChainTest, ANameThatIsNoRegisteredModuleIsNamedOnce) {
  // VM_User_ToPhones exists but is never registered.
  inst.Text("fonts/names.vof",
            "VModuleChain.Modules=VM_TextFeeder;VM_LayerWrod;VM_User_ToPhones;VM_LayerWrod\n");
  const std::string line = "fonts/names.vof: VModuleChain.Modules names ";
  const std::string why = ", which is no registered module (the engine leaves it out)";
  EXPECT_EQ(
      datalint::Lint(inst.dir()),
      (std::vector<std::string>{line + "VM_LayerWrod" + why, line + "VM_User_ToPhones" + why}));
}

}  // namespace
