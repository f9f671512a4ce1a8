// Phone tables (engine/shared/VSR_PhonePool): the input's lines as the
// scrambled records of a phone table. The first line names the columns,
// every later one is a phone whose symbol is its first byte; a lookup finds
// the first phone of a symbol, and a feature is "1" to the yes/no question
// exactly when its text is "1".
#include "engine/base/VStr.h"
#include "engine/shared/VSR_PhonePool.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=8192"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  const std::vector<std::string> lines = tm_fuzz::Lines(tm_fuzz::Bytes(data, size));
  VSR_PhonePool phones;
  phones.ParseFile(tm_fuzz::WriteScrambled("phones.phn", lines, VSR_PhonePool::kRecordSize));
  tm_fuzz::Check(phones.PhoneCount() == (lines.empty() ? 0 : static_cast<int>(lines.size()) - 1),
                 "every line after the first is a phone");
  for (int i = 0; i < phones.PhoneCount(); ++i) {
    const std::string& line = lines[static_cast<size_t>(i) + 1];
    const char symbol = line.empty() || line[0] == '\t' ? '\0' : line[0];
    tm_fuzz::Check(phones.PhoneAt(i)->GetSymbol() == symbol, "a phone's symbol is its first byte");
    const VPhone* first = phones.FindPhone(symbol);
    tm_fuzz::Check(first != nullptr && first <= phones.PhoneAt(i), "a lookup finds the first");
    for (int c = 0; c < phones.ColumnCount(); ++c) {
      const char* column = phones.GetFeatureName(c);
      char* text = nullptr;
      const bool has = phones.detailedPhoneFeature(symbol, column, &text);
      tm_fuzz::Check(phones.getPhoneFeature(symbol, column) == (has && VStr::Equal(text, "1")),
                     "yes exactly for the text 1");
      VStr::Release(&text);
    }
  }
  return 0;
}
