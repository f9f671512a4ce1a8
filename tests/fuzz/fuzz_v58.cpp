// V58 templates (engine/shared/V58ProsodicCompiler): the input's lines as the
// scrambled records of a template file (the first record is not read).
#include "engine/shared/V58ProsodicCompiler.h"
#include "engine/shared/V58ProsodicTemplate.h"
#include "tests/fuzz/FuzzSupport.h"

const tm_fuzz::Target tm_fuzz::kTarget{2, 8192, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  std::vector<std::string> lines = Lines(bytes);
  V58ProsodicCompiler templates;
  templates.Load(WriteScrambled("templates.v58", lines, V58ProsodicCompiler::kRecordSize));
  int marks = 0;
  for (const std::string& line : lines) marks += !line.empty() && line[0] == '%' ? 1 : 0;
  const int count = templates.CollectionCount();
  Check(count <= V58ProsodicCompiler::kCapacity && 2 * count <= marks,
        "a collection takes two '%' lines");
  size_t elements = 0;
  for (int i = 0; i < count; ++i) {
    const V58ProsodicCollection* collection = templates.CollectionAt(i);
    Check(collection != nullptr, "the table holds what it counts");
    for (int mask = 0; mask < 256; ++mask) {
      const V58ProsodicTemplate* t = collection->Get(mask);
      if (t == nullptr) continue;
      Check(t->GetMask() == mask, "a template lies in the slot of its mask");
      elements += static_cast<size_t>(t->GetElementCount());
    }
  }
  Check(elements <= lines.size(), "every element comes from a line");
}
