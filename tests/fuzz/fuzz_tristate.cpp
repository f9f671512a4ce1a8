// Tri-state rules (engine/shared/VTriStateCompiler): the input's lines as the
// scrambled records of a rule file, asked about the installation's phones.
#include <cmath>

#include "engine/shared/TMShared.h"
#include "engine/shared/VTriStateCompiler.h"
#include "tests/fuzz/FuzzSupport.h"

static TMShared g_holder;

static void SetUp() {
  g_holder.GetPhonePool()->ParseFile(std::string(TM_DATA_BUILD_DIR) + "/phones/greek.phn");
}

const tm_fuzz::Target tm_fuzz::kTarget{2, 4096, SetUp};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  std::vector<std::string> lines = Lines(bytes);
  VTriStateCompiler rules;
  rules.Load(WriteScrambled("rules.3st", lines, VTriStateCompiler::kRecordSize));
  rules.SetHolder(&g_holder);
  Check(rules.Rules().size() <= lines.size(), "a line gives at most one rule");

  const VSR_PhonePool* phones = g_holder.GetPhonePool();
  std::string symbols = ".";
  for (int i = 0; i < phones->PhoneCount(); ++i) symbols += phones->PhoneAt(i)->GetSymbol();
  symbols += bytes.substr(0, 8);
  for (size_t i = 0; i + 2 < symbols.size(); ++i) {
    const float factor = rules.Lookup(symbols[i], symbols[i + 1], symbols[i + 2]);
    bool known = factor == VTriStateCompiler::kNeutral;
    for (const VTriStateRule& rule : rules.Rules()) {
      known = known || factor == rule.GetValue() * VTriStateCompiler::kScale ||
              (std::isnan(factor) && std::isnan(rule.GetValue()));
    }
    Check(known, "a lookup gives 1.0 or the value of a rule");
  }
}
