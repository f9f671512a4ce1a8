#include "platform/mbrola/FormantVoice.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

namespace formant {
namespace {

constexpr const char* kFormatName = "tm-formant-voice";
constexpr int kFormatVersion = 1;

// The keys of "default" and "phone" lines, with their ranges and built-in
// defaults, in the order of RawPhone::values.
struct KeyInfo {
  const char* name;
  double min;
  double max;
  double fallback;
};

constexpr KeyInfo kKeys[] = {
    {"F1", 0, 20000, 500},  {"F2", 0, 20000, 1500},  {"F3", 0, 20000, 2500}, {"F4", 0, 20000, 3300},
    {"F5", 0, 20000, 3750}, {"F6", 0, 20000, 4900},  {"F7", 0, 20000, 6000}, {"F8", 0, 20000, 7200},
    {"B1", 10, 20000, 60},  {"B2", 10, 20000, 90},   {"B3", 10, 20000, 150}, {"B4", 10, 20000, 250},
    {"B5", 10, 20000, 200}, {"B6", 10, 20000, 1000}, {"B7", 10, 20000, 600}, {"B8", 10, 20000, 800},
    {"FNP", 0, 20000, 270}, {"BNP", 10, 5000, 100},  {"FNZ", 0, 20000, 270}, {"BNZ", 10, 5000, 100},
    {"AV", 0, 80, 0},       {"AH", 0, 80, 0},        {"AF", 0, 80, 0},       {"A2", 0, 80, 0},
    {"A3", 0, 80, 0},       {"A4", 0, 80, 0},        {"A5", 0, 80, 0},       {"A6", 0, 80, 0},
    {"AB", 0, 80, 0},       {"AC", 0, 80, 0},        {"burst", 0, 200, 0},   {"vot", 0, 200, 0},
    {"fric", 0, 200, 0},    {"close", 0, 200, 0},    {"LW", 0.1, 10, 1},
};
constexpr int kKeyCount = static_cast<int>(sizeof(kKeys) / sizeof(kKeys[0]));
constexpr int kKeyAv = kTrackSize;
constexpr int kKeyAh = kKeyAv + 1;
constexpr int kKeyAf = kKeyAv + 2;
constexpr int kKeyA2 = kKeyAv + 3;
constexpr int kKeyAc = kKeyA2 + kShapeSize;
constexpr int kKeyBurst = kKeyAc + 1;
constexpr int kKeyVot = kKeyAc + 2;
constexpr int kKeyFric = kKeyAc + 3;
constexpr int kKeyClose = kKeyAc + 4;
constexpr int kKeyLw = kKeyAc + 5;
static_assert(kKeyLw + 1 == kKeyCount, "every key has its place");

// The voice-wide lines that take one number, with their ranges.
struct VoiceRange {
  const char* name;
  double min, max;
};
constexpr double kBreathOff = -60.0;  // dB; at or below it a voice has no breath noise
constexpr VoiceRange kRanges[] = {{"f0", 40, 600},          {"oq", 0.2, 0.9}, {"tilt", 0, 0.95},
                                  {"gain", -40, 40},        {"jitter", 0, 5}, {"shimmer", 0, 20},
                                  {"breath", kBreathOff, 0}};

const VoiceRange* FindRange(std::string_view directive) {
  for (const VoiceRange& r : kRanges) {
    if (directive == r.name) return &r;
  }
  return nullptr;
}

struct ClassName {
  const char* name;
  PhoneClass kind;
};
constexpr ClassName kClasses[] = {
    {"silence", PhoneClass::kSilence},
    {"vowel", PhoneClass::kVowel},
    {"nasal", PhoneClass::kNasal},
    {"liquid", PhoneClass::kLiquid},
    {"tap", PhoneClass::kTap},
    {"glide", PhoneClass::kGlide},
    {"fricative", PhoneClass::kFricative},
    {"stop", PhoneClass::kStop},
    {"affricate", PhoneClass::kAffricate},
};

// Amplitudes are written in dB: 60 is the reference level of voicing, 0
// (or less) is off.
float Linear(double db) {
  return db <= 0.0 ? 0.0f : static_cast<float>(std::pow(10.0, (db - 60.0) / 20.0));
}

bool ParseNumber(std::string_view text, double& value) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last && std::isfinite(value);
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

// A line without its CR and its comment.
std::string_view Content(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::size_t hash = line.find('#');
  return hash == std::string_view::npos ? line : line.substr(0, hash);
}

// Applies "key=value" tokens to values; false with a reason on a fault.
bool ApplyKeys(const std::vector<std::string_view>& tokens, std::size_t first, double* values,
               std::string& reason) {
  for (std::size_t t = first; t < tokens.size(); ++t) {
    std::string_view token = tokens[t];
    std::size_t eq = token.find('=');
    if (eq == std::string_view::npos) {
      reason = "expected key=value, found \"" + std::string(token) + "\"";
      return false;
    }
    std::string_view key = token.substr(0, eq);
    int index = -1;
    for (int k = 0; k < kKeyCount; ++k) {
      if (key == kKeys[k].name) index = k;
    }
    if (index < 0) {
      reason = "unknown key \"" + std::string(key) + "\"";
      return false;
    }
    double value = 0.0;
    if (!ParseNumber(token.substr(eq + 1), value)) {
      reason = "bad number in \"" + std::string(token) + "\"";
      return false;
    }
    if (value < kKeys[index].min || value > kKeys[index].max) {
      std::ostringstream out;
      out << "value of " << kKeys[index].name << " out of range " << kKeys[index].min << " to "
          << kKeys[index].max;
      reason = out.str();
      return false;
    }
    values[index] = value;
  }
  return true;
}

PhoneTargets MakeTargets(std::string_view symbol, PhoneClass kind, const double* values) {
  PhoneTargets p;
  p.symbol = std::string(symbol);
  p.kind = kind;
  for (int i = 0; i < kTrackSize; ++i) p.track[i] = static_cast<float>(values[i]);
  p.av = Linear(values[kKeyAv]);
  p.ah = Linear(values[kKeyAh]);
  p.af = Linear(values[kKeyAf]);
  for (int i = 0; i < kShapeSize; ++i) p.shape[i] = Linear(values[kKeyA2 + i]);
  p.ac = Linear(values[kKeyAc]);
  p.burstMs = static_cast<float>(values[kKeyBurst]);
  p.votMs = static_cast<float>(values[kKeyVot]);
  p.fricMs = static_cast<float>(values[kKeyFric]);
  p.closeMs = static_cast<float>(values[kKeyClose]);
  p.locusWeight = static_cast<float>(values[kKeyLw]);
  if (kind == PhoneClass::kSilence) {
    p.av = p.ah = p.af = p.ac = 0.0f;
  }
  return p;
}

}  // namespace

FormantVoice::LoadResult FormantVoice::Load(const std::string& path, std::string& error) {
  std::error_code ec;
  std::ifstream in;
  if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
  if (!in.is_open()) {
    error = "database not found: " + path;
    return LoadResult::kNotFound;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "database not found: " + path + " cannot be read";
    return LoadResult::kNotFound;
  }
  if (!Parse(text, path, error)) return LoadResult::kBadFormat;
  return LoadResult::kOk;
}

bool FormantVoice::Parse(std::string_view text, const std::string& origin, std::string& error) {
  *this = FormantVoice();
  origin_ = origin;
  double defaults[kKeyCount];
  for (int k = 0; k < kKeyCount; ++k) defaults[k] = kKeys[k].fallback;

  bool headerSeen = false;
  int lineNumber = 0;
  std::string reason;
  std::size_t pos = 0;
  while (pos <= text.size() && reason.empty()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string_view> tokens = Tokens(Content(text.substr(pos, end - pos)));
    pos = end + 1;
    ++lineNumber;
    if (tokens.empty()) continue;
    if (!headerSeen) {
      headerSeen = ReadHeader(tokens, reason);
    } else {
      ReadDirective(tokens, defaults, reason);
    }
  }
  if (reason.empty()) {
    // A fault of the whole file names no line.
    reason = Incomplete(headerSeen);
    lineNumber = 0;
  }
  if (!reason.empty()) {
    error = "bad database format: " + origin;
    if (lineNumber > 0) error += ":" + std::to_string(lineNumber);
    error += ": " + reason;
    std::string keep = origin_;
    *this = FormantVoice();
    origin_ = keep;
    return false;
  }
  return true;
}

bool FormantVoice::ReadHeader(const std::vector<std::string_view>& tokens, std::string& reason) {
  if (tokens.size() != 2 || tokens[0] != kFormatName) {
    reason = std::string("expected the header \"") + kFormatName + " " +
             std::to_string(kFormatVersion) + "\"";
    return false;
  }
  if (tokens[1] != std::to_string(kFormatVersion)) {
    reason = "unsupported version " + std::string(tokens[1]);
    return false;
  }
  format_ = std::string(kFormatName) + " " + std::to_string(kFormatVersion);
  return true;
}

void FormantVoice::ReadDirective(const std::vector<std::string_view>& tokens, double* defaults,
                                 std::string& reason) {
  std::string_view directive = tokens[0];
  double value = 0.0;
  if (directive == "rate") {
    if (tokens.size() != 2 || !ParseNumber(tokens[1], value) || value != std::floor(value) ||
        value < 8000 || value > 48000) {
      reason = "rate must be a whole number from 8000 to 48000";
    } else {
      rate_ = static_cast<int>(value);
    }
  } else if (directive == "name") {
    name_.clear();
    for (std::size_t t = 1; t < tokens.size(); ++t) {
      if (t > 1) name_ += ' ';
      name_ += std::string(tokens[t]);
    }
  } else if (const VoiceRange* range = FindRange(directive)) {
    if (tokens.size() != 2 || !ParseNumber(tokens[1], value) || value < range->min ||
        value > range->max) {
      std::ostringstream out;
      out << range->name << " must be a number from " << range->min << " to " << range->max;
      reason = out.str();
    } else {
      SetVoiceValue(directive, value);
    }
  } else if (directive == "default") {
    ApplyKeys(tokens, 1, defaults, reason);
  } else if (directive == "phone") {
    ReadPhone(tokens, defaults, reason);
  } else {
    reason = "unknown directive \"" + std::string(directive) + "\"";
  }
}

void FormantVoice::SetVoiceValue(std::string_view directive, double value) {
  if (directive == "f0") {
    defaultF0_ = value;
  } else if (directive == "oq") {
    openQuotient_ = value;
  } else if (directive == "tilt") {
    tilt_ = value;
  } else if (directive == "gain") {
    gain_ = std::pow(10.0, value / 20.0);
  } else if (directive == "jitter") {
    jitter_ = value / 100.0;
  } else if (directive == "shimmer") {
    shimmer_ = value / 100.0;
  } else {
    breath_ = value <= kBreathOff ? 0.0 : std::pow(10.0, value / 20.0);
  }
}

void FormantVoice::ReadPhone(const std::vector<std::string_view>& tokens, const double* defaults,
                             std::string& reason) {
  if (tokens.size() < 3) {
    reason = "a phone line needs a symbol and a class";
    return;
  }
  std::string_view symbol = tokens[1];
  const ClassName* kind = nullptr;
  for (const ClassName& c : kClasses) {
    if (tokens[2] == c.name) kind = &c;
  }
  double values[kKeyCount];
  for (int k = 0; k < kKeyCount; ++k) values[k] = defaults[k];
  if (kind == nullptr) {
    reason = "unknown phone class \"" + std::string(tokens[2]) + "\"";
  } else if (symbol == "#" || symbol[0] == ';') {
    reason = "\"" + std::string(symbol) + "\" cannot be a phone symbol";
  } else if (symbol == "_" && kind->kind != PhoneClass::kSilence) {
    reason = "\"_\" is always silence";
  } else if (bySymbol_.count(symbol) != 0) {
    reason = "phone \"" + std::string(symbol) + "\" defined twice";
  } else if (ApplyKeys(tokens, 3, values, reason)) {
    phones_.push_back(MakeTargets(symbol, kind->kind, values));
    bySymbol_.emplace(std::string(symbol), phones_.size() - 1);
  }
}

std::string FormantVoice::Incomplete(bool headerSeen) const {
  if (!headerSeen) return "empty file";
  if (rate_ == 0) return "no rate line";
  if (phones_.empty()) return "no phones";
  return "";
}

const PhoneTargets* FormantVoice::Find(std::string_view symbol) const {
  auto it = bySymbol_.find(symbol);
  return it == bySymbol_.end() ? nullptr : &phones_[it->second];
}

void FormantVoice::Index() {
  bySymbol_.clear();
  for (std::size_t i = 0; i < phones_.size(); ++i) bySymbol_.emplace(phones_[i].symbol, i);
}

bool FormantVoice::Rename(const std::vector<std::pair<std::string, std::string>>& pairs,
                          std::string& error) {
  std::vector<PhoneTargets> renamed = phones_;
  for (const auto& [from, to] : pairs) {
    auto it = bySymbol_.find(from);
    if (it == bySymbol_.end()) {
      error = "bad argument: no phone \"" + from + "\" to rename";
      return false;
    }
    if (to == "_" || to == "#" || to.empty() || to[0] == ';') {
      error = "bad argument: \"" + to + "\" cannot be a phone symbol";
      return false;
    }
    renamed[it->second].symbol = to;
  }
  std::set<std::string> seen;
  for (const PhoneTargets& p : renamed) {
    if (!seen.insert(p.symbol).second) {
      error = "bad argument: renaming gives phone \"" + p.symbol + "\" twice";
      return false;
    }
  }
  phones_ = std::move(renamed);
  Index();
  return true;
}

bool FormantVoice::Clone(const std::vector<std::pair<std::string, std::string>>& pairs,
                         std::string& error) {
  std::vector<PhoneTargets> cloned = phones_;
  std::set<std::string> seen;
  for (const PhoneTargets& p : cloned) seen.insert(p.symbol);
  for (const auto& [from, to] : pairs) {
    auto it = bySymbol_.find(from);
    if (it == bySymbol_.end()) {
      error = "bad argument: no phone \"" + from + "\" to clone";
      return false;
    }
    if (to == "_" || to == "#" || to.empty() || to[0] == ';' || !seen.insert(to).second) {
      error = "bad argument: cannot add phone \"" + to + "\"";
      return false;
    }
    PhoneTargets copy = phones_[it->second];
    copy.symbol = to;
    cloned.push_back(std::move(copy));
  }
  phones_ = std::move(cloned);
  Index();
  return true;
}

}  // namespace formant
