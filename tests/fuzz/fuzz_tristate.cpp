// Tri-state rules (engine/shared/VTriStateCompiler): the input's lines as
// the scrambled records of a rule file, loaded and asked about phones of the
// installation's phone table. A line gives at most one rule, and a lookup
// gives 1.0 or ten times the value of one of the rules.
#include <cmath>

#include "engine/shared/TMShared.h"
#include "engine/shared/VTriStateCompiler.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
TMShared g_holder;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=4096"});
  g_holder.GetPhonePool()->ParseFile(std::string(TM_DATA_BUILD_DIR) + "/phones/greek.phn");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  const std::vector<std::string> lines = tm_fuzz::Lines(bytes);
  VTriStateCompiler rules;
  rules.Load(tm_fuzz::WriteScrambled("rules.3st", lines, VTriStateCompiler::kRecordSize));
  rules.SetHolder(&g_holder);
  tm_fuzz::Check(rules.Rules().size() <= lines.size(), "a line gives at most one rule");

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
    tm_fuzz::Check(known, "a lookup gives 1.0 or the value of a rule");
  }
  return 0;
}
