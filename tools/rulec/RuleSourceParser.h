// Reads the UTF-8 source of a rule collection into a RuleSet and checks it
// against everything the engine would mis-read. The source format is
// described in tools/rulec/README.md.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/rulec/RuleSet.h"

namespace rulec {

class RuleSourceParser {
 public:
  // Parses the text of a source; name is the file name used in messages
  // ("name:line: reason"). Returns true when the source is correct; else
  // errors() lists every problem found: those of single lines in line
  // order, then those of the whole file, then rules out of order.
  bool parse(const std::string& text, const std::string& name);

  const RuleSet& ruleSet() const { return set_; }
  const std::vector<std::string>& errors() const { return errors_; }

  // Checks a repetition text as the compiler accepts it: empty, a decimal
  // number, or MIN-MAX with 0 <= MIN <= MAX, MAX >= 1, both at most
  // 2147483647. On refusal, why holds the reason.
  static bool checkRepetition(const std::string& text, std::string& why);

 private:
  void fail(int line, const std::string& reason);
  void parseLine(const std::string& line, int number);
  void parseDirective(const std::string& line, int number);
  void parseRule(const std::string& line, int number);
  bool decodeField(const std::string& raw, const char* what, int number, std::string& out);
  bool parseContext(const std::string& raw, const char* what, int number,
                    std::vector<RuleElement>& out);
  bool expandSets(const std::string& raw, const std::string& what, int number, std::string& out);

  std::string name_;
  RuleSet set_;
  bool haveOutputUnknown_ = false;
  int ruleLines_ = 0;  // rule lines seen, correct or not
  int fontLine_ = 0;
  std::vector<std::string> errors_;
  std::map<std::string, std::string> sets_;  // named character sets (@set), as written
};

}  // namespace rulec
