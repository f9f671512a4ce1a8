#include "platform/mbrola/PhoneLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace formant {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

void SkipBlanks(std::string_view text, std::size_t& i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
}

// A number at i (whole or decimal, locale-independent); i moves past it.
bool ReadNumber(std::string_view text, std::size_t& i, double& value) {
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  if (first < last && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (ec != std::errc() || !std::isfinite(value)) return false;
  i = static_cast<std::size_t>(end - text.data());
  return true;
}

}  // namespace

PhoneLine::Kind PhoneLine::Fail(const std::string& why) {
  error_ = why;
  return Kind::kBad;
}

PhoneLine::Kind PhoneLine::Parse(std::string_view line) {
  symbol_ = std::string_view();
  durationMs_ = 0.0;
  points_.clear();
  error_.clear();
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

  std::size_t i = 0;
  SkipBlanks(line, i);
  if (i == line.size() || line[i] == ';') return Kind::kNothing;
  std::size_t start = i;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  symbol_ = line.substr(start, i - start);
  if (symbol_ == "#") return Kind::kFlush;

  SkipBlanks(line, i);
  if (i == line.size()) return Fail("no duration");
  if (!ReadNumber(line, i, durationMs_) || (i < line.size() && !IsBlank(line[i]))) {
    return Fail("bad duration");
  }
  if (durationMs_ < 0.0 || durationMs_ > kMaxDurationMs) return Fail("duration out of range");

  for (;;) {
    SkipBlanks(line, i);
    if (i == line.size()) break;
    bool bracketed = line[i] == '(';
    if (bracketed) ++i;
    PitchPoint point{0.0, 0.0};
    SkipBlanks(line, i);
    if (!ReadNumber(line, i, point.percent)) return Fail("bad pitch point");
    SkipBlanks(line, i);
    if (bracketed) {
      if (i == line.size() || line[i] != ',') return Fail("bad pitch point");
      ++i;
      SkipBlanks(line, i);
    } else if (i == line.size()) {
      return Fail("bad pitch point");
    }
    if (!ReadNumber(line, i, point.f0)) return Fail("bad pitch point");
    if (bracketed) {
      SkipBlanks(line, i);
      if (i == line.size() || line[i] != ')') return Fail("bad pitch point");
      ++i;
    } else if (i < line.size() && !IsBlank(line[i])) {
      return Fail("bad pitch point");
    }
    if (point.f0 < kMinF0 || point.f0 > kMaxF0) return Fail("pitch out of range");
    point.percent = std::clamp(point.percent, 0.0, 100.0);
    points_.push_back(point);
  }
  std::stable_sort(points_.begin(), points_.end(),
                   [](const PitchPoint& a, const PitchPoint& b) { return a.percent < b.percent; });
  return Kind::kPhone;
}

}  // namespace formant
