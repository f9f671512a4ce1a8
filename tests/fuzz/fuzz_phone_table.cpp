// Phone tables (engine/shared/VSR_PhonePool): the input's lines as the
// scrambled records of a phone table, the first naming the columns.
#include "engine/base/VStr.h"
#include "engine/shared/VSR_PhonePool.h"
#include "tests/fuzz/FuzzSupport.h"

const tm_fuzz::Target tm_fuzz::kTarget{2, 8192, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  std::vector<std::string> lines = Lines(bytes);
  VSR_PhonePool phones;
  phones.ParseFile(WriteScrambled("phones.phn", lines, VSR_PhonePool::kRecordSize));
  Check(phones.PhoneCount() == (lines.empty() ? 0 : static_cast<int>(lines.size()) - 1),
        "every line after the first is a phone");
  for (int i = 0; i < phones.PhoneCount(); ++i) {
    const std::string& line = lines[static_cast<size_t>(i) + 1];
    const char symbol = line.empty() || line[0] == '\t' ? '\0' : line[0];
    Check(phones.PhoneAt(i)->GetSymbol() == symbol, "a phone's symbol is its first byte");
    const VPhone* first = phones.FindPhone(symbol);
    Check(first != nullptr && first <= phones.PhoneAt(i), "a lookup finds the first");
    for (int c = 0; c < phones.ColumnCount(); ++c) {
      const char* column = phones.GetFeatureName(c);
      char* text = nullptr;
      const bool has = phones.detailedPhoneFeature(symbol, column, &text);
      Check(phones.getPhoneFeature(symbol, column) == (has && VStr::Equal(text, "1")),
            "yes exactly for the text 1");
      VStr::Release(&text);
    }
  }
}
