// The linter's warnings about a voice font whose chain runs the layer,
// duration and intonation modules out of the order they need.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"
#include "tools/datalint/DataLint.h"

namespace {

TEST(DataLintChainTest, AChainOutOfOrderIsNamedPairByPair) {
  testing_support::TempDir dir;
  testing_support::ScopedCwd cwd(dir.path());
  testing_support::InstallationBuilder inst(dir / "install");
  inst.Complete();
  const std::string font = "fonts/chain.vof: VModuleChain.Modules runs ";
  struct Case {
    const char* chain;
    std::vector<std::string> problems;
  };
  const std::vector<Case> cases = {
      {"VM_Phonemizer;VM_LayerSyllable;VM_LayerWord;VM_LayerPhrase;VM_LayerSentence;"
       "VM_DurationTriState;VM_DurationWord;VM_DurationFilter;VM_IntonationV58;"
       "VM_IntonationSyllable;VM_SmoothF0;VM_GeneratorPHO",
       {}},
      // A module named twice runs at its later place.
      {"VM_LayerWord;VM_LayerSyllable;VM_LayerWord;VM_DurationFilter;VM_SmoothF0", {}},
      {"VM_LayerSyllable;VM_InFilter;VM_LayerPhrase;VM_LayerWord",
       {font + "VM_LayerSyllable before VM_InFilter, which must run first",
        font + "VM_LayerPhrase before VM_LayerWord, which must run first"}},
      {"VM_IntonationSyllable;VM_DurationWord;VM_IntonationV58;VM_SmoothF0;VM_DurationFilter",
       {font + "VM_IntonationSyllable before VM_DurationWord, which must run first",
        font + "VM_IntonationSyllable before VM_DurationFilter, which must run first",
        font + "VM_IntonationSyllable before VM_IntonationV58, which must run first",
        font + "VM_SmoothF0 before VM_DurationFilter, which must run first"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chain);
    inst.Text("fonts/chain.vof", std::string("VModuleChain.Modules=") + c.chain + "\n");
    EXPECT_EQ(datalint::Lint(inst.dir()), c.problems);
  }
}

}  // namespace
