#include "engine/shared/VTriStateCompiler.h"

#include <fstream>
#include <utility>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/VDataFile.h"

namespace {

constexpr const char* kAnyPhone = "*";

// One group of a rule line: from just after the next '[' at pos to the next
// ']' (or the end of the line); pos moves past that ']'. False without '['.
bool NextGroup(const std::string& line, size_t& pos, std::string& name, std::string& value) {
  const size_t open = line.find('[', pos);
  if (open == std::string::npos) return false;
  const size_t start = open + 1;
  const size_t close = line.find(']', start);
  const std::string group =
      line.substr(start, close == std::string::npos ? std::string::npos : close - start);
  pos = close == std::string::npos ? line.size() : close + 1;
  if (group == kAnyPhone) {
    name = kAnyPhone;
    value.clear();
    return true;
  }
  // SplitKeyValue cuts the text it is given at the colon.
  char* text = VStr::Duplicate(group.c_str());
  char* key = nullptr;
  char* val = nullptr;
  const bool split = VStr::SplitKeyValue(text, &key, &val);
  if (split) {
    name = key;
    value = val;
  }
  VStr::Release(&text);
  VStr::Release(&key);
  VStr::Release(&val);
  return split;
}

}  // namespace

VTriStateRule::VTriStateRule(std::string leftName, std::string leftValue, std::string currentName,
                             std::string currentValue, std::string rightName,
                             std::string rightValue, float value)
    : leftName(std::move(leftName)),
      leftValue(std::move(leftValue)),
      currentName(std::move(currentName)),
      currentValue(std::move(currentValue)),
      rightName(std::move(rightName)),
      rightValue(std::move(rightValue)),
      value_(value) {}

bool VTriStateCompiler::AddRuleLine(const std::string& line) {
  std::string names[3];
  std::string values[3];
  size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (!NextGroup(line, pos, names[i], values[i])) return false;
  }
  const size_t colon = line.find(':', pos);
  if (colon == std::string::npos) return false;
  const size_t start = colon + 1;
  const size_t end = line.find('\n', start);
  const std::string number =
      line.substr(start, end == std::string::npos ? std::string::npos : end - start);
  rules_.emplace_back(names[0], values[0], names[1], values[1], names[2], values[2],
                      static_cast<float>(VLib::ParseFloat(number)));
  return true;
}

bool VTriStateCompiler::Load(const std::string& path) {
  std::ifstream in;
  // A path that is not a regular file is reported there; nothing is read.
  VLib::OpenDataFile(path.c_str(), in, true);
  int skipped = 0;
  while (in.good()) {
    const auto text = VLib::ReadDataText(in, kRecordSize, true, path);
    if (!text || text->empty()) continue;
    if (!AddRuleLine(*text)) ++skipped;
  }
  if (skipped > 0) {
    Log::Error("VTriStateCompiler::Load(const std::string& path)@" + std::to_string(skipped) +
               " line(s) not in the rule form skipped in [" + path + "]");
  }
  return true;
}

bool VTriStateCompiler::Holds(const std::string& name, const std::string& value,
                              char symbol) const {
  if (name == kAnyPhone) return true;
  return holder_->GetPhonePool()->detailedPhoneFeatureIs(symbol, name.c_str(), value.c_str());
}

float VTriStateCompiler::Lookup(char left, char current, char right) const {
  if (holder_ == nullptr) return kNeutral;
  for (const VTriStateRule& rule : rules_) {
    if (!Holds(rule.currentName, rule.currentValue, current)) continue;
    if (!Holds(rule.leftName, rule.leftValue, left)) continue;
    if (!Holds(rule.rightName, rule.rightValue, right)) continue;
    return rule.GetValue() * kScale;
  }
  return kNeutral;
}

float VTriStateCompiler::Lookup(char left, char current, char right, Factors& factors) const {
  const VSR_PhonePool* table = holder_ != nullptr ? holder_->GetPhonePool() : nullptr;
  const auto known = [table](char c) { return table == nullptr || table->FindPhone(c) != nullptr; };
  if (!known(left) || !known(current) || !known(right)) return Lookup(left, current, right);
  const uint32_t key = static_cast<uint32_t>(static_cast<unsigned char>(left)) << 16 |
                       static_cast<uint32_t>(static_cast<unsigned char>(current)) << 8 |
                       static_cast<unsigned char>(right);
  const auto found = factors.find(key);
  if (found != factors.end()) return found->second;
  return factors.emplace(key, Lookup(left, current, right)).first->second;
}
