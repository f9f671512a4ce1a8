// Rule files (support/alphconv): any bytes as a rule collection, then texts
// converted through both conversion paths.
#include <algorithm>
#include <sstream>

#include "support/alphconv.h"
#include "tests/fuzz/FuzzSupport.h"

const tm_fuzz::Target tm_fuzz::kTarget{2, 4096, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  CRuleCollection rules(400, 1, 1);
  std::istringstream in{std::string(bytes)};
  const bool loaded = rules.loadFromStream(in);
  const int code = rules.error().getErrorCode();
  Check(loaded == (code == 0), "a load fails exactly when it sets an error");
  if (code >= 801 && code <= 803) Check(rules.rules().empty(), "header refused, no rule");

  // Greek text in Windows-1253, every byte value, and the input's own tail.
  std::string every;
  for (int c = 1; c < 256; ++c) every.push_back(static_cast<char>(c));
  std::string tail(bytes.substr(bytes.size() - std::min<size_t>(bytes.size(), 32)));
  tail.erase(std::remove(tail.begin(), tail.end(), '\0'), tail.end());
  for (const std::string& text :
       {std::string("\xca\xe1\xeb\xe7\xec\xdd\xf1\xe1 \xea\xfc\xf3\xec\xe5, 12."), every, tail}) {
    const std::string whole = rules.convert(text.c_str(), static_cast<int>(text.size()) + 1, -1);
    Check(whole == rules.convertToString(text), "both paths convert alike");
    const int count = static_cast<int>(text.size() / 2);
    const std::string part = rules.convert(text.c_str(), count, count);
    Check(part == rules.convertToString(text, count), "both paths convert counts alike");
    if (rules.rules().empty()) {
      Check(whole == (rules.outputUnknown() ? text : ""),
            "without rules a text is copied or dropped");
    }
  }
}
