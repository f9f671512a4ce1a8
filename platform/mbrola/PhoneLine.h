// One line of phone text: "SYMBOL DURATION (percent,F0) ...", a comment
// (';'), a blank line, or "#" (end of the stream).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace formant {

struct PitchPoint {
  double percent;  // position in the phone, 0 to 100
  double f0;       // Hz
};

class PhoneLine {
 public:
  enum class Kind { kNothing, kFlush, kPhone, kBad };

  // Reads one line (without its line feed; one trailing CR is dropped).
  // Pitch points are written "(percent,F0)" or as bare pairs "percent F0";
  // blanks may stand around the parts. Percents are limited to 0..100 and
  // the points sorted by percent. On kBad, error() tells why.
  Kind Parse(std::string_view line);

  std::string_view symbol() const { return symbol_; }
  double durationMs() const { return durationMs_; }
  const std::vector<PitchPoint>& points() const { return points_; }
  const std::string& error() const { return error_; }

  static constexpr double kMaxDurationMs = 1.0e7;
  static constexpr double kMinF0 = 10.0;
  static constexpr double kMaxF0 = 2000.0;

 private:
  Kind Fail(const std::string& why);

  std::string_view symbol_;
  double durationMs_ = 0.0;
  std::vector<PitchPoint> points_;  // reused from line to line
  std::string error_;
};

}  // namespace formant
