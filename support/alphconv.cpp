#include "support/alphconv.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <optional>

#include "support/utilities.h"

namespace {

// Reading one record field. A read fails when the stream reports failure or
// loss of integrity, or when fewer bytes arrive than were asked for.
bool ReadBytes(std::istream& in, unsigned char* buffer, std::streamsize size) {
  in.read(reinterpret_cast<char*>(buffer), size);
  return !in.fail() && !in.bad() && in.gcount() == size;
}

bool ReadByte(std::istream& in, uint8_t& value) { return ReadBytes(in, &value, 1); }

// A string of a record: its bytes up to a zero byte (not part of the string).
bool ReadString(std::istream& in, std::string& out) {
  out.clear();
  for (;;) {
    char c = 0;
    if (!in.get(c) || in.bad()) return false;
    if (c == '\0') return true;
    out.push_back(c);
  }
}

enum class NumberRead { kNotWhole, kOutOfRange, kValid };

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads text[begin, end) as one decimal number the way strtoul reads it
// (leading white space and a sign, then digits; the empty text is 0).
// kNotWhole when the number does not take up the whole range; kOutOfRange
// when it does but is negative or beyond the signed 32-bit range.
NumberRead ReadNumber(const std::string& text, std::size_t begin, std::size_t end, int32_t& value) {
  if (begin == end) {
    value = 0;
    return NumberRead::kValid;
  }
  std::size_t i = begin;
  while (i < end && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t digitsStart = i;
  int64_t magnitude = 0;
  bool tooLarge = false;
  for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > std::numeric_limits<int32_t>::max()) {
      tooLarge = true;
      magnitude = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    }
  }
  if (i == digitsStart || i != end) return NumberRead::kNotWhole;
  if (tooLarge || (negative && magnitude != 0)) return NumberRead::kOutOfRange;
  value = static_cast<int32_t>(magnitude);
  return NumberRead::kValid;
}

// The backtracking stack of one context match; the first entries live
// inside the object so that short matches allocate nothing.
class MatchStack {
 public:
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  void push(const CRuleMatchState& state) {
    if (size_ < kInline) {
      new (&inline_.items[size_]) CRuleMatchState(state);
    } else {
      overflow_.push_back(state);
    }
    ++size_;
  }
  CRuleMatchState pop() {
    --size_;
    if (size_ < kInline) return inline_.items[size_];
    CRuleMatchState state = overflow_.back();
    overflow_.pop_back();
    return state;
  }

 private:
  static constexpr std::size_t kInline = 8;
  // Left unconstructed until pushed: most matches push little or nothing.
  union Storage {
    Storage() {}
    CRuleMatchState items[kInline];
  } inline_;
  std::vector<CRuleMatchState> overflow_;
  std::size_t size_ = 0;
};

const char kTraceSource[] = "alphconv";

}  // namespace

// ---------------------------------------------------------------- CRule

CRule::CRule() : tracer_("cdebugtracer", 10, 10, false, false) {}

CRule::CRule(const CRule& other)
    : CInterface(other),
      enabled_(other.enabled_),
      mainChar_(other.mainChar_),
      before_(other.before_),
      after_(other.after_),
      translation_(other.translation_),
      charsTranslated_(other.charsTranslated_),
      counter_(other.counter_.load(std::memory_order_relaxed)),
      tracer_(other.tracer_),
      error_(other.error_),
      beforeElements_(other.beforeElements_),
      afterElements_(other.afterElements_) {}

CRule& CRule::operator=(const CRule& other) {
  if (this == &other) return *this;
  enabled_ = other.enabled_;
  mainChar_ = other.mainChar_;
  before_ = other.before_;
  after_ = other.after_;
  translation_ = other.translation_;
  charsTranslated_ = other.charsTranslated_;
  counter_.store(other.counter_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  tracer_ = other.tracer_;
  error_ = other.error_;
  beforeElements_ = other.beforeElements_;
  afterElements_ = other.afterElements_;
  return *this;
}

bool CRule::queryInterface(int id, void** out) {
  return answerInterface(id, out, this, &error_, &tracer_);
}

bool CRule::fail(int code, const std::string& text) {
  error_.setError(code, text);
  return false;
}

bool CRule::readContext(std::istream& in, CRuleContext& context, bool before) {
  unsigned char length[2];
  if (!ReadBytes(in, length, 2)) {
    return fail(before ? 807 : 809, before ? CRULE_ERR_BEFORE_LENGTH : CRULE_ERR_AFTER_LENGTH);
  }
  const std::size_t count = static_cast<std::size_t>(length[0] | (length[1] << 8));
  std::vector<std::string>* lists[3] = {&context.operators, &context.repetitions,
                                        &context.characterSets};
  for (int j = 0; j < 3; ++j) {
    lists[j]->assign(count, std::string());
    for (std::size_t i = 0; i < count; ++i) {
      if (!ReadString(in, (*lists[j])[i])) {
        const std::string where =
            ":j=(" + std::to_string(j + 1) + "),i=(" + std::to_string(i + 1) + ")";
        return fail(before ? 808 : 810,
                    (before ? CRULE_ERR_BEFORE_CHAR : CRULE_ERR_AFTER_CHAR) + where);
      }
    }
  }
  return true;
}

bool CRule::loadFromStream(std::istream& in) {
  before_ = CRuleContext();
  after_ = CRuleContext();
  translation_.clear();
  beforeElements_.clear();
  afterElements_.clear();

  if (!ReadByte(in, enabled_)) return fail(805, CRULE_ERR_ENABLED);
  uint8_t mainChar = 0;
  if (!ReadByte(in, mainChar)) return fail(806, CRULE_ERR_MAIN_CHAR);
  mainChar_ = mainChar;
  if (!readContext(in, before_, true)) return false;
  if (!readContext(in, after_, false)) return false;
  if (!ReadString(in, translation_)) return fail(811, CRULE_ERR_TRANSLATION);
  if (!ReadByte(in, charsTranslated_)) return fail(812, CRULE_ERR_CHARS_TRANSLATED);
  unsigned char counter[4];
  if (!ReadBytes(in, counter, 4)) return fail(813, CRULE_ERR_COUNTER);
  counter_.store(static_cast<uint32_t>(counter[0]) | (static_cast<uint32_t>(counter[1]) << 8) |
                     (static_cast<uint32_t>(counter[2]) << 16) |
                     (static_cast<uint32_t>(counter[3]) << 24),
                 std::memory_order_relaxed);
  prepareContexts();
  return true;
}

bool CRule::parseRepetition(const std::string& text, int32_t& minimum, int32_t& maximum) {
  int32_t value = 0;
  switch (ReadNumber(text, 0, text.size(), value)) {
    case NumberRead::kValid:
      minimum = value;
      maximum = value;
      return true;
    case NumberRead::kOutOfRange:
      return false;
    case NumberRead::kNotWhole:
      break;
  }
  const std::size_t hyphen = text.find('-');
  if (hyphen == std::string::npos) return false;
  int32_t low = 0;
  int32_t high = 0;
  if (ReadNumber(text, 0, hyphen, low) != NumberRead::kValid) return false;
  if (ReadNumber(text, hyphen + 1, text.size(), high) != NumberRead::kValid) return false;
  if (low < 0 || high < 1 || low > high) return false;
  minimum = low;
  maximum = high;
  return true;
}

std::vector<CRule::Element> CRule::prepare(const CRuleContext& context) {
  static const std::string kEmpty;
  std::vector<Element> elements(context.size());
  for (std::size_t i = 0; i < elements.size(); ++i) {
    Element& e = elements[i];
    const std::string& op = i < context.operators.size() ? context.operators[i] : kEmpty;
    const std::string& repetition =
        i < context.repetitions.size() ? context.repetitions[i] : kEmpty;
    const std::string& set = context.characterSets[i];
    e.kind = op == "=" ? Element::kInSet : (op == "!=" ? Element::kNotInSet : Element::kAcceptAll);
    e.repetitionValid = parseRepetition(repetition, e.minimum, e.maximum);
    for (char c : set) e.members.set(static_cast<unsigned char>(c));
    const bool boundary = set.find("\\0") != std::string::npos;
    // "\0" stands for the text boundary, and so for a zero byte as well.
    if (boundary) e.members.set(0);
    e.boundaryMarker = boundary && repetition == "1" && op == "=";
  }
  return elements;
}

void CRule::prepareContexts() {
  beforeElements_ = prepare(before_);
  afterElements_ = prepare(after_);
}

bool CRule::matches(const char* first, const char* last, const char* position) const {
  if (enabled_ == 0) return false;
  return matchSide(Side::Before, position, first, last) &&
         matchSide(Side::After, position, first, last);
}

// One match of a context (see CRule::matchSide): the backtracking walk of
// the matching, over the indexes of a text.
//
// A state is pushed only where taking one more character differs from going
// on, that is for a repetition at or above the element's minimum: resuming a
// state below the minimum would repeat the very walk that has just failed.
//
// What follows a configuration (element k, position p, repetition r) does
// not depend on the stack below it until everything that the configuration
// pushed has been popped and the walk pops the state below it, after a
// rejected character or after a complete match with text remaining. So when
// a walk runs long, it starts again and remembers, for the configurations
// that came to that point, which of the two it was, and meets them again at
// once. It remembers element starts, and the repetitions that cannot reach
// the element's maximum before the text ends (what follows them does not
// depend on the repetition number); a match then costs at most elements x
// positions x repetitions steps, where plain backtracking grows with the
// number of ways of sharing the text among the elements.
class CRule::ContextWalk {
 public:
  ContextWalk(const std::vector<Element>& elements, Side side, const char* text,
              std::ptrdiff_t lastIndex, std::ptrdiff_t start)
      : elements_(elements),
        step_(side == Side::Before ? -1 : 1),
        text_(text),
        lastIndex_(lastIndex),
        start_(start) {}

  // The outcome of the match; without remembering, none once the walk has
  // taken kPlainSteps steps.
  std::optional<bool> Run(bool remember);

 private:
  // How the walk after a configuration came to pop the state below it.
  enum Ending : uint8_t { kUnknown, kRejected, kExtended };
  struct Entered {
    std::size_t slot;   // in endings_
    std::size_t depth;  // the stack size when the configuration was met
  };

  // Steps of plain backtracking before the walk starts again remembering:
  // the contexts of ordinary rules stay far below it.
  static constexpr int kPlainSteps = 4096;

  // The place of a configuration in endings_ (grown as needed); -1 for a
  // configuration that is not remembered.
  std::ptrdiff_t Slot(int32_t k, std::ptrdiff_t p, int32_t r);

  const std::vector<Element>& elements_;
  const std::ptrdiff_t step_;
  const char* const text_;
  const std::ptrdiff_t lastIndex_;  // -1 and lastIndex_ + 1 lie outside the text
  const std::ptrdiff_t start_;
  std::vector<Ending> endings_;
};

std::ptrdiff_t CRule::ContextWalk::Slot(int32_t k, std::ptrdiff_t p, int32_t r) {
  const Element& e = elements_[static_cast<std::size_t>(k - 1)];
  const std::ptrdiff_t remaining = step_ > 0 ? lastIndex_ - p : p;
  const bool free = r >= e.minimum && int64_t{r} + remaining <= int64_t{e.maximum};
  if (!free && r != 1) return -1;
  const std::ptrdiff_t distance = step_ > 0 ? p - start_ : start_ - p;
  const auto n = static_cast<std::ptrdiff_t>(elements_.size());
  const auto slot = static_cast<std::size_t>(((distance * n + (k - 1)) << 1) | (free ? 1 : 0));
  if (slot >= endings_.size()) endings_.resize(std::max(slot + 1, 2 * endings_.size()), kUnknown);
  return static_cast<std::ptrdiff_t>(slot);
}

std::optional<bool> CRule::ContextWalk::Run(bool remember) {
  const auto n = static_cast<int32_t>(elements_.size());
  int32_t k = 1;
  int32_t r = 1;
  std::ptrdiff_t p = start_;
  MatchStack stack;
  std::vector<Entered> entered;  // configurations met whose ending is not known yet
  endings_.clear();
  int steps = 0;

  // Pops the most recent state and resumes from it: its element takes one
  // more character (a state is pushed below the maximum only). The
  // configurations met since the stack had its present size end so. False
  // when there is nothing to pop.
  auto pop = [&](Ending ending) {
    for (; !entered.empty() && entered.back().depth >= stack.size(); entered.pop_back()) {
      endings_[entered.back().slot] = ending;
    }
    if (stack.empty()) return false;
    const CRuleMatchState state = stack.pop();
    k = state.element;
    p = state.position;
    r = state.repetition + 1;
    return true;
  };

  for (;;) {
    while (k <= n) {
      if (remember) {
        const std::ptrdiff_t slot = Slot(k, p, r);
        if (slot >= 0) {
          const Ending known = endings_[static_cast<std::size_t>(slot)];
          if (known != kUnknown) {
            if (!pop(known)) return known == kExtended;
            continue;
          }
          entered.push_back({static_cast<std::size_t>(slot), stack.size()});
        }
      } else if (++steps > kPlainSteps) {
        return std::nullopt;
      }
      p += step_;
      const Element& e = elements_[static_cast<std::size_t>(k - 1)];
      if (!e.repetitionValid) return false;
      if (p < 0 || p > lastIndex_) return e.boundaryMarker || e.minimum == 0;
      const auto c = static_cast<unsigned char>(text_[p]);
      const bool accepted =
          e.kind == Element::kAcceptAll || (e.members.test(c) == (e.kind == Element::kInSet));
      if (accepted) {
        if (r >= e.minimum) {
          if (r < e.maximum) {
            CRuleMatchState state;
            state.element = k;
            state.position = p;
            state.repetition = r;
            state.minimum = e.minimum;
            state.maximum = e.maximum;
            stack.push(state);
          }
          ++k;  // lazily: the element stops as soon as it has its minimum
          r = 1;
        } else {
          ++r;
        }
      } else if (e.minimum == 0) {
        p -= step_;  // the character is offered to the next element
        ++k;
        r = 1;
      } else if (!pop(kRejected)) {
        return false;
      }
    }
    // Every element is satisfied; the most recent element that could take
    // more characters is extended while text remains.
    const bool textRemains = step_ < 0 ? p > 0 : p < lastIndex_;
    if (!textRemains || !pop(kExtended)) return true;
  }
}

bool CRule::matchSide(Side side, const char* position, const char* first, const char* last) const {
  const std::vector<Element>& elements = side == Side::Before ? beforeElements_ : afterElements_;
  if (elements.empty()) return true;
  std::ptrdiff_t lastIndex = last - first;
  // A terminating zero that the caller counted in is the end of the text.
  if (side == Side::After && lastIndex >= 0 && first[lastIndex] == '\0') --lastIndex;
  ContextWalk walk(elements, side, first, lastIndex, position - first);
  const std::optional<bool> plain = walk.Run(false);
  return plain.has_value() ? *plain : *walk.Run(true);
}

void CRule::countUse() const { counter_.fetch_add(1, std::memory_order_relaxed); }

int32_t CRule::counter() const {
  const uint32_t value = counter_.load(std::memory_order_relaxed);
  if (value <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
    return static_cast<int32_t>(value);
  }
  return static_cast<int32_t>(value - 0x80000000u) + std::numeric_limits<int32_t>::min();
}

// ------------------------------------------------------- CRuleCollection

CRuleCollection::CRuleCollection(int reserve, int flag, int outputUnknown)
    : flag_(flag != 0),
      outputUnknown_(outputUnknown != 0),
      tracer_("crulecollection", 1, 10000, false, false) {
  if (reserve > 0) rules_.reserve(static_cast<std::size_t>(reserve));
  firstRule_.fill(-1);
}

bool CRuleCollection::queryInterface(int id, void** out) {
  return answerInterface(id, out, this, &error_, &tracer_);
}

bool CRuleCollection::loadFromFile(const std::string& path) {
  std::ifstream file;
  // A directory opens as a stream here, but holds no rules.
  if (!UTILITIES::isDirectory(path)) file.open(path, std::ios::in | std::ios::binary);
  if (!file.is_open() || file.fail() || file.bad()) {
    error_.setError(800, CRC_ERR_OPEN);
    return false;
  }
  return loadFromStream(file);  // the file closes when it goes out of scope
}

bool CRuleCollection::endLoad(bool result) {
  int index = -1;
  getMaxTranslationLength(index);
  indexRules();
  return result;
}

void CRuleCollection::indexRules() {
  for (std::size_t c = 0; c < firstRule_.size(); ++c) {
    firstRule_[c] = static_cast<int32_t>(findFirstRule(static_cast<unsigned char>(c)));
  }
  afterReach_ = 0;
  for (const CRule& rule : rules_) {
    // An element with an invalid repetition ends the matching where it
    // stands: it reads nothing.
    std::size_t reach = 0;
    for (const std::string& repetition : rule.after().repetitions) {
      int32_t minimum = 0, maximum = 0;
      if (CRule::parseRepetition(repetition, minimum, maximum)) {
        reach += static_cast<std::size_t>(maximum);
      }
    }
    const std::size_t consumed = rule.charsTranslated() > 0 ? rule.charsTranslated() - 1u : 0u;
    afterReach_ = std::max({afterReach_, reach, consumed});
  }
}

bool CRuleCollection::loadFromStream(std::istream& in) {
  uint8_t fontFlag = 0;
  if (!ReadByte(in, fontFlag)) {
    error_.setError(801, CRC_ERR_FONT_HEADER);
    return endLoad(false);
  }
  if (fontFlag != 0) {
    fontPresent_ = fontFlag;
    std::array<unsigned char, 50> font{};
    if (!ReadBytes(in, font.data(), static_cast<std::streamsize>(font.size()))) {
      error_.setError(802, CRC_ERR_LOGICAL_FONT);
      fontPresent_ = 0;
      return endLoad(false);
    }
    std::memcpy(logicalFont_.data(), font.data(), font.size());
  } else {
    fontPresent_ = 0;
  }
  outputUnknown_ = false;
  uint8_t outputUnknown = 0;
  if (!ReadByte(in, outputUnknown)) {
    error_.setError(803, CRC_ERR_OUTPUT_UNKNOWN);
    return endLoad(false);
  }
  outputUnknown_ = outputUnknown != 0;

  rules_.clear();
  int ruleNumber = 0;
  while (in.good()) {
    CRule rule;
    const bool read = rule.loadFromStream(in);
    if (in.eof()) break;  // the end of the file: a record cut short is dropped
    ++ruleNumber;
    if (!read) {
      error_.setError(804, CRC_ERR_LOAD_RULE + ": rule number= " + std::to_string(ruleNumber));
      return endLoad(false);
    }
    rules_.push_back(rule);
  }
  return endLoad(true);
}

int CRuleCollection::getMaxTranslationLength(int& index) {
  int longest = -1;
  index = -1;
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const std::size_t size = rules_[i].translation().size();
    const int length = size > static_cast<std::size_t>(std::numeric_limits<int>::max())
                           ? std::numeric_limits<int>::max()
                           : static_cast<int>(size);
    if (length > longest) {
      longest = length;
      index = static_cast<int>(i);
    }
  }
  longestTranslation_ = longest;
  return longest;
}

std::ptrdiff_t CRuleCollection::findFirstRule(unsigned char c) const {
  std::ptrdiff_t low = 0;
  std::ptrdiff_t high = static_cast<std::ptrdiff_t>(rules_.size()) - 1;
  if (tracer_.enabled()) {
    tracer_.printline(kTraceSource, __LINE__,
                      "search " + std::to_string(low) + " to " + std::to_string(high));
  }
  while (low <= high) {
    std::ptrdiff_t middle = (low + high) / 2;
    const unsigned char found = rules_[middle].mainChar();
    if (found == c) {
      while (middle > 0 && rules_[middle - 1].mainChar() == c) --middle;
      if (tracer_.enabled()) {
        tracer_.printline(kTraceSource, __LINE__, "found at " + std::to_string(middle));
      }
      return middle;
    }
    if (found < c) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  if (tracer_.enabled()) {
    tracer_.printline(kTraceSource, __LINE__,
                      "not found, ended at " + std::to_string(low) + " to " + std::to_string(high));
  }
  return -1;
}

CRuleCollection::Step CRuleCollection::convertRange(const char* text, std::size_t count,
                                                    std::string& out, Step from,
                                                    std::size_t stable) const {
  if (tracer_.enabled()) {
    tracer_.printline(kTraceSource, __LINE__, "rules: " + std::to_string(rules_.size()));
  }
  Step settled = from;
  if (count == 0) return settled;
  out.reserve(out.size() + (count - std::min(count, from.position)));
  const char* last = text + (count - 1);
  std::size_t p = from.position;
  while (p < count) {
    // A rule here reads up to afterReach_ characters on, and the matcher
    // asks whether one more follows.
    if (p + afterReach_ + 1 < stable) settled = Step{p, out.size()};
    const auto c = static_cast<unsigned char>(text[p]);
    const CRule* applied = nullptr;
    // With tracing on, search again so that the search is traced.
    const std::ptrdiff_t firstRule = tracer_.enabled() ? findFirstRule(c) : firstRule_[c];
    if (firstRule >= 0) {
      for (auto i = static_cast<std::size_t>(firstRule);
           i < rules_.size() && rules_[i].mainChar() == c; ++i) {
        if (rules_[i].matches(text, last, text + p)) {
          applied = &rules_[i];
          break;
        }
      }
    }
    if (applied != nullptr) {
      out += applied->translation();
      // A rule that consumes nothing still moves the conversion on.
      p += applied->charsTranslated() == 0 ? 1 : applied->charsTranslated();
      if (countUsage_) applied->countUse();
    } else {
      if (outputUnknown_ && c != 0) out.push_back(static_cast<char>(c));
      ++p;
    }
  }
  return settled;
}

CRuleCollection::Step CRuleCollection::convertFrom(const char* text, std::size_t count,
                                                   std::size_t stable, Step from,
                                                   std::string& out) const {
  out.resize(std::min(from.output, out.size()));
  return convertRange(text, count, out, from, stable);
}

const char* CRuleCollection::convert(const char* text, int /*length*/, int count) {
  output_.clear();
  if (text != nullptr) {
    std::size_t characters = 0;
    if (count < 0) {
      characters = std::strlen(text);
    } else {
      // Look no further than count characters: the text need not be
      // terminated within them.
      const auto wanted = static_cast<std::size_t>(count);
      while (characters < wanted && text[characters] != '\0') ++characters;
      if (characters < wanted) ++characters;  // the terminating zero, and nothing after it
    }
    convertRange(text, characters, output_, Step(), 0);
  }
  return output_.c_str();
}

std::string CRuleCollection::convertToString(const std::string& text, int count) const {
  std::size_t characters = text.size();
  if (count >= 0) {
    // Beyond the text: its terminating zero (of c_str()) too, nothing after it.
    characters = std::min(static_cast<std::size_t>(count), text.size() + 1);
  }
  std::string out;
  convertRange(text.c_str(), characters, out, Step(), 0);
  return out;
}
