// Rule files (support/alphconv): any bytes loaded as a rule collection, then
// texts converted through it. The two conversion paths (the collection's
// buffer and the thread-safe string) agree, for whole texts and for counts,
// and a collection that refused its header holds no rule.
#include <algorithm>
#include <sstream>

#include "support/alphconv.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=4096"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  CRuleCollection rules(400, 1, 1);
  std::istringstream in{std::string(bytes)};
  const bool loaded = rules.loadFromStream(in);
  const int code = rules.error().getErrorCode();
  tm_fuzz::Check(loaded == (code == 0), "a load fails exactly when it sets an error");
  if (code >= 801 && code <= 803) tm_fuzz::Check(rules.rules().empty(), "header refused, no rule");

  // Greek text in Windows-1253, every byte value, and the input's own tail.
  std::string every;
  for (int c = 1; c < 256; ++c) every.push_back(static_cast<char>(c));
  std::string tail(bytes.substr(bytes.size() - std::min<size_t>(bytes.size(), 32)));
  tail.erase(std::remove(tail.begin(), tail.end(), '\0'), tail.end());
  const std::string texts[] = {"\xca\xe1\xeb\xe7\xec\xdd\xf1\xe1 \xea\xfc\xf3\xec\xe5, 12.", every,
                               tail};
  for (const std::string& text : texts) {
    const std::string whole = rules.convert(text.c_str(), static_cast<int>(text.size()) + 1, -1);
    tm_fuzz::Check(whole == rules.convertToString(text), "both paths convert alike");
    const int count = static_cast<int>(text.size() / 2);
    const std::string part = rules.convert(text.c_str(), count, count);
    tm_fuzz::Check(part == rules.convertToString(text, count), "both paths convert counts alike");
    if (rules.rules().empty()) {
      tm_fuzz::Check(whole == (rules.outputUnknown() ? text : ""),
                     "without rules a text is copied or dropped");
    }
  }
  return 0;
}
