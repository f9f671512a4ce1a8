// Tri-state duration rules: a duration factor for a phone from three states,
// the phone before it, the phone itself and the phone after it, each
// described by one feature of the phone table.
//
// A rule file is a sequence of scrambled records of kRecordSize bytes, each
// decoding to one rule line:
//   [left group][current group][right group]:value
// A group is "*" (any phone) or a feature name, a colon and the feature's
// value ("vowel:1"); a group whose name is "*" holds for any phone whatever
// its value. The value is a decimal number with '.' as its decimal point,
// whatever the process locale. Lines in another form are skipped, with one
// line in the engine log for the whole file.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/composer/VComponent.h"

class TMShared;

// One rule: the three groups (name and value each) in file order, and the
// rule's number as written.
class VTriStateRule {
 public:
  VTriStateRule() = default;
  VTriStateRule(std::string leftName, std::string leftValue, std::string currentName,
                std::string currentValue, std::string rightName, std::string rightValue,
                float value);
  virtual ~VTriStateRule() = default;
  VTriStateRule(const VTriStateRule&) = default;
  VTriStateRule& operator=(const VTriStateRule&) = default;

  float GetValue() const { return value_; }

  std::string leftName;
  std::string leftValue;
  std::string currentName;
  std::string currentValue;
  std::string rightName;
  std::string rightValue;

 private:
  float value_ = 0.0f;
};

class VTriStateCompiler : public VComponent {
 public:
  // The size of one scrambled record of a rule file.
  static constexpr int kRecordSize = 120;
  // The factor when no rule holds.
  static constexpr float kNeutral = 1.0f;
  // The factor that a rule gives is its value times this.
  static constexpr float kScale = 10.0f;

  VTriStateCompiler() = default;
  virtual ~VTriStateCompiler() = default;
  VTriStateCompiler(const VTriStateCompiler&) = delete;
  VTriStateCompiler& operator=(const VTriStateCompiler&) = delete;

  // Reads the rules of a file (appending them). Always true: a path that is
  // not a regular file is reported and gives no rules.
  bool Load(const std::string& path);

  // Reads one rule line; false (nothing appended) when the line is not in
  // the rule form.
  bool AddRuleLine(const std::string& line);

  // The factor for the phone current between left and right (phone symbols;
  // the duration module passes '.' for a missing neighbour): the value of
  // the first rule, in file order, whose three groups hold, times 10; 1.0
  // when none holds, when there are no rules, or without a holder (the
  // phone table is reached through it). Groups are tested in the order
  // current, left, right; a symbol that the phone table lacks fails its
  // group, with the table's error line in the engine log.
  float Lookup(char left, char current, char right) const;

  // Factors already worked out, by triple of phones, for one run.
  using Factors = std::unordered_map<uint32_t, float>;
  // Lookup for the phones of a run: a triple whose three symbols the phone
  // table knows is worked out once and kept in factors (the table and the
  // rules do not change during a run); a triple with a symbol the table
  // lacks is looked up every time, so that its error lines stay as they are.
  float Lookup(char left, char current, char right, Factors& factors) const;

  // The holder whose phone table the lookups ask (not owned).
  void SetHolder(TMShared* holder) { holder_ = holder; }
  TMShared* GetHolder() const { return holder_; }

  const std::vector<VTriStateRule>& Rules() const { return rules_; }

 private:
  bool Holds(const std::string& name, const std::string& value, char symbol) const;

  std::vector<VTriStateRule> rules_;
  TMShared* holder_ = nullptr;
};
