#include "tools/appimages/GifWriter.h"

#include <QFile>
#include <array>

namespace appimages {
namespace {

constexpr int kColourBits = 8;
constexpr int kColours = 1 << kColourBits;
constexpr int kClearCode = kColours;
constexpr int kEndCode = kColours + 1;
constexpr int kMaxCodeBits = 12;
constexpr int kMaxCode = (1 << kMaxCodeBits) - 1;
constexpr int kSubBlockBytes = 255;
// Levels of the colour table: a 6 x 6 x 6 cube, then 40 greys.
constexpr int kCubeLevels = 6;
constexpr int kCubeStep = 51;
constexpr int kGreys = kColours - kCubeLevels * kCubeLevels * kCubeLevels;

// Codes of variable width, least significant bit first.
class BitWriter {
 public:
  void Put(int code, int bits) {
    accumulator_ |= static_cast<unsigned long>(code) << count_;
    count_ += bits;
    while (count_ >= 8) {
      bytes_.push_back(static_cast<unsigned char>(accumulator_ & 0xFF));
      accumulator_ >>= 8;
      count_ -= 8;
    }
  }
  std::vector<unsigned char> Finish() {
    if (count_ > 0) bytes_.push_back(static_cast<unsigned char>(accumulator_ & 0xFF));
    accumulator_ = 0;
    count_ = 0;
    return std::move(bytes_);
  }

 private:
  unsigned long accumulator_ = 0;
  int count_ = 0;
  std::vector<unsigned char> bytes_;
};

QList<QRgb> ColourTable() {
  QList<QRgb> table;
  for (int r = 0; r < kCubeLevels; ++r) {
    for (int g = 0; g < kCubeLevels; ++g) {
      for (int b = 0; b < kCubeLevels; ++b)
        table.push_back(qRgb(r * kCubeStep, g * kCubeStep, b * kCubeStep));
    }
  }
  for (int i = 0; i < kGreys; ++i) {
    const int level = (i + 1) * 255 / (kGreys + 1);
    table.push_back(qRgb(level, level, level));
  }
  return table;
}

void Put16(QByteArray& out, int value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

std::vector<unsigned char> LzwCompress(const std::vector<unsigned char>& indices) {
  BitWriter bits;
  int codeBits = kColourBits + 1;
  // The dictionary as a tree: the code that follows code c with byte k.
  std::vector<std::array<int, kColours>> next(kMaxCode + 1);
  for (auto& node : next) node.fill(0);
  int lastCode = kEndCode;
  bits.Put(kClearCode, codeBits);
  if (indices.empty()) {
    bits.Put(kEndCode, codeBits);
    return bits.Finish();
  }
  int current = indices[0];
  for (std::size_t i = 1; i < indices.size(); ++i) {
    const int k = indices[i];
    if (next[current][k] != 0) {
      current = next[current][k];
      continue;
    }
    bits.Put(current, codeBits);
    next[current][k] = ++lastCode;
    if (lastCode >= (1 << codeBits)) ++codeBits;
    if (lastCode == kMaxCode) {
      bits.Put(kClearCode, codeBits);
      for (auto& node : next) node.fill(0);
      codeBits = kColourBits + 1;
      lastCode = kEndCode;
    }
    current = k;
  }
  bits.Put(current, codeBits);
  bits.Put(kEndCode, codeBits);
  return bits.Finish();
}

bool WriteAnimatedGif(const QString& path, const std::vector<QImage>& frames, int delayCs) {
  if (frames.empty()) return false;
  const QSize size = frames.front().size();
  const QList<QRgb> table = ColourTable();
  QByteArray out("GIF89a");
  Put16(out, size.width());
  Put16(out, size.height());
  out.append(static_cast<char>(0xF7));  // a global table of 256 colours
  out.append('\0');                     // background colour
  out.append('\0');                     // square pixels
  for (QRgb colour : table) {
    out.append(static_cast<char>(qRed(colour)));
    out.append(static_cast<char>(qGreen(colour)));
    out.append(static_cast<char>(qBlue(colour)));
  }
  // Repeat without end.
  out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
  Put16(out, 0);
  out.append('\0');

  for (const QImage& frame : frames) {
    const QImage indexed =
        frame.convertToFormat(QImage::Format_RGB32)
            .scaled(size)
            .convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
    out.append("\x21\xF9\x04\x04", 4);  // graphic control: keep the frame, no transparency
    Put16(out, delayCs);
    out.append('\0');
    out.append('\0');
    out.append('\x2C');  // image descriptor
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, size.width());
    Put16(out, size.height());
    out.append('\0');
    std::vector<unsigned char> indices;
    indices.reserve(static_cast<std::size_t>(size.width() * size.height()));
    for (int y = 0; y < size.height(); ++y) {
      const uchar* line = indexed.constScanLine(y);
      indices.insert(indices.end(), line, line + size.width());
    }
    const std::vector<unsigned char> codes = LzwCompress(indices);
    out.append(static_cast<char>(kColourBits));
    for (std::size_t at = 0; at < codes.size(); at += kSubBlockBytes) {
      const std::size_t n = std::min<std::size_t>(kSubBlockBytes, codes.size() - at);
      out.append(static_cast<char>(n));
      out.append(reinterpret_cast<const char*>(codes.data() + at), static_cast<qsizetype>(n));
    }
    out.append('\0');
  }
  out.append('\x3B');

  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.flush();
}

}  // namespace appimages
