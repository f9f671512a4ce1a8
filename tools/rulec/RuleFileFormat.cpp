#include "tools/rulec/RuleFileFormat.h"

#include <cstdint>

namespace rulec {
namespace {

void PutString(std::string& out, const std::string& text) {
  out += text;
  out += '\0';
}

void PutContext(std::string& out, const std::vector<RuleElement>& context) {
  const auto count = static_cast<uint16_t>(context.size());
  out += static_cast<char>(count & 0xFF);
  out += static_cast<char>(count >> 8);
  for (const RuleElement& e : context) PutString(out, e.op);
  for (const RuleElement& e : context) PutString(out, e.repetition);
  for (const RuleElement& e : context) PutString(out, e.set);
}

// Reads an image from the front; every read fails once the image is used up.
class ImageReader {
 public:
  explicit ImageReader(const std::string& image) : image_(image) {}

  bool byte(uint8_t& out) {
    if (pos_ >= image_.size()) return false;
    out = static_cast<uint8_t>(image_[pos_++]);
    return true;
  }

  bool word(uint16_t& out) {
    uint8_t lo = 0;
    uint8_t hi = 0;
    if (!byte(lo) || !byte(hi)) return false;
    out = static_cast<uint16_t>(lo | (hi << 8));
    return true;
  }

  bool int32(int32_t& out) {
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      uint8_t b = 0;
      if (!byte(b)) return false;
      value |= static_cast<uint32_t>(b) << shift;
    }
    out = static_cast<int32_t>(value);
    return true;
  }

  bool string(std::string& out) {
    out.clear();
    for (;;) {
      uint8_t b = 0;
      if (!byte(b)) return false;
      if (b == 0) return true;
      out += static_cast<char>(b);
    }
  }

  bool context(std::vector<RuleElement>& out) {
    uint16_t count = 0;
    if (!word(count)) return false;
    out.assign(count, RuleElement());
    for (RuleElement& e : out) {
      if (!string(e.op)) return false;
    }
    for (RuleElement& e : out) {
      if (!string(e.repetition)) return false;
    }
    for (RuleElement& e : out) {
      if (!string(e.set)) return false;
    }
    return true;
  }

  bool atEnd() const { return pos_ >= image_.size(); }
  std::size_t position() const { return pos_; }

 private:
  const std::string& image_;
  std::size_t pos_ = 0;
};

bool ReadRecord(ImageReader& in, RuleRecord& rule) {
  return in.byte(rule.enabled) && in.byte(rule.mainChar) && in.context(rule.before) &&
         in.context(rule.after) && in.string(rule.translation) && in.byte(rule.charsTranslated) &&
         in.int32(rule.counter);
}

}  // namespace

std::string RuleFileFormat::encode(const RuleSet& set) {
  std::string out;
  out += static_cast<char>(set.fontFlag);
  if (set.fontFlag != 0) out.append(set.font.begin(), set.font.end());
  out += static_cast<char>(set.outputUnknown);
  for (const RuleRecord& rule : set.rules) {
    out += static_cast<char>(rule.enabled);
    out += static_cast<char>(rule.mainChar);
    PutContext(out, rule.before);
    PutContext(out, rule.after);
    PutString(out, rule.translation);
    out += static_cast<char>(rule.charsTranslated);
    const auto counter = static_cast<uint32_t>(rule.counter);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((counter >> shift) & 0xFF);
  }
  return out;
}

bool RuleFileFormat::decode(const std::string& image, RuleSet& set, ReadReport& report) {
  set = RuleSet();
  report = ReadReport();
  ImageReader in(image);
  if (!in.byte(set.fontFlag)) {
    report.problem = "the file is empty: it has no font flag";
    return false;
  }
  if (set.fontFlag != 0) {
    for (uint8_t& b : set.font) {
      if (!in.byte(b)) {
        report.problem = "the file ends inside its logical font block";
        return false;
      }
    }
  }
  if (!in.byte(set.outputUnknown)) {
    report.problem = "the file ends before its output-unknown byte";
    return false;
  }
  report.headerComplete = true;
  while (!in.atEnd()) {
    const std::size_t start = in.position();
    RuleRecord rule;
    if (!ReadRecord(in, rule)) {
      report.droppedBytes = image.size() - start;
      break;
    }
    set.rules.push_back(std::move(rule));
  }
  return true;
}

}  // namespace rulec
