// V58 templates (engine/shared/V58ProsodicCompiler): the input's lines as the
// scrambled records of a template file (the first record is not read).
// A collection takes two '%' lines, the table holds at most its capacity,
// every template lies in the slot of its own mask, and every element comes
// from a line.
#include "engine/shared/V58ProsodicCompiler.h"
#include "engine/shared/V58ProsodicTemplate.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=8192"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  const std::vector<std::string> lines = tm_fuzz::Lines(tm_fuzz::Bytes(data, size));
  V58ProsodicCompiler templates;
  templates.Load(tm_fuzz::WriteScrambled("templates.v58", lines, V58ProsodicCompiler::kRecordSize));

  int marks = 0;
  for (const std::string& line : lines) marks += !line.empty() && line[0] == '%' ? 1 : 0;
  const int count = templates.CollectionCount();
  tm_fuzz::Check(count <= V58ProsodicCompiler::kCapacity && 2 * count <= marks,
                 "a collection takes two '%' lines");
  size_t elements = 0;
  for (int i = 0; i < count; ++i) {
    const V58ProsodicCollection* collection = templates.CollectionAt(i);
    tm_fuzz::Check(collection != nullptr, "the table holds what it counts");
    for (int mask = 0; mask < 256; ++mask) {
      const V58ProsodicTemplate* t = collection->Get(mask);
      if (t == nullptr) continue;
      tm_fuzz::Check(t->GetMask() == mask, "a template lies in the slot of its mask");
      elements += static_cast<size_t>(t->GetElementCount());
    }
  }
  tm_fuzz::Check(elements <= lines.size(), "every element comes from a line");
  return 0;
}
