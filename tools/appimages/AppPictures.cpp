#include "tools/appimages/AppPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>

#include "app/PictureFiles.h"

namespace appimages {
namespace {

const QColor kBlue(0x0D, 0x5E, 0xAF);
const QColor kDarkBlue(0x08, 0x2F, 0x6B);
const QColor kLightBlue(0xCF, 0xE3, 0xF7);
const QColor kRed(0xC8, 0x10, 0x2E);
const QColor kFace(0xF4, 0xF7, 0xFB);
constexpr double kPi = 3.14159265358979323846;

// The letters of the product's name as strokes on a grid 4 wide, 6 high.
struct Letter {
  char letter;
  std::vector<std::vector<QPointF>> strokes;
};

const std::vector<Letter>& StrokeFont() {
  static const std::vector<Letter> font = {
      {'Z', {{{0, 0}, {4, 0}, {0, 6}, {4, 6}}}},
      {'O', {{{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}}},
      {'R', {{{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}}, {{2, 3}, {4, 6}}}},
      {'V', {{{0, 0}, {2, 6}, {4, 0}}}},
      {'A', {{{0, 6}, {2, 0}, {4, 6}}, {{1, 4}, {3, 4}}}},
      {'L', {{{0, 0}, {0, 6}, {4, 6}}}},
      {'I', {{{2, 0}, {2, 6}}, {{1, 0}, {3, 0}}, {{1, 6}, {3, 6}}}},
      {'S',
       {{{4, 1},
         {3, 0},
         {1, 0},
         {0, 1},
         {0, 2},
         {1, 3},
         {3, 3},
         {4, 4},
         {4, 5},
         {3, 6},
         {1, 6},
         {0, 5}}}},
  };
  return font;
}

// Writes text (letters of the stroke font) with its top-left corner at
// origin, each grid unit unit pixels wide.
void DrawWord(QPainter& p, const char* text, QPointF origin, double unit, const QPen& pen) {
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  for (const char* c = text; *c != '\0'; ++c) {
    for (const Letter& letter : StrokeFont()) {
      if (letter.letter != *c) continue;
      for (const auto& stroke : letter.strokes) {
        QPainterPath path(origin + stroke.front() * unit);
        for (std::size_t i = 1; i < stroke.size(); ++i) path.lineTo(origin + stroke[i] * unit);
        p.drawPath(path);
      }
    }
    origin.rx() += 6 * unit;
  }
}

// A sound wave across rect: a sine whose loudness swells and fades.
void DrawWave(QPainter& p, const QRectF& rect, double cycles, const QPen& pen) {
  QPainterPath path;
  const int steps = static_cast<int>(rect.width());
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    const double y =
        rect.center().y() + std::sin(t * cycles * 2 * kPi) * std::sin(t * kPi) * rect.height() / 2;
    const QPointF point(rect.left() + t * rect.width(), y);
    if (i == 0) {
      path.moveTo(point);
    } else {
      path.lineTo(point);
    }
  }
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

QImage NewImage(int width, int height, const QColor& fill) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

// A strip of three frames (normal, pressed, mouse over it) of a button
// frameWidth by height: a face, then drawSymbol in the frame's rectangle.
QImage Strip(int frameWidth, int height, const std::function<void(QPainter&, QRectF)>& drawSymbol) {
  QImage image = NewImage(frameWidth * 3, height, Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  for (int frame = 0; frame < 3; ++frame) {
    const QRectF cell(frame * frameWidth + 1, 1, frameWidth - 2, height - 2);
    QLinearGradient face(cell.topLeft(), cell.bottomLeft());
    const bool pressed = frame == 1;
    const bool hover = frame == 2;
    face.setColorAt(0, pressed ? kLightBlue.darker(115) : (hover ? Qt::white : kFace));
    face.setColorAt(1, pressed ? kLightBlue : (hover ? kLightBlue : kFace.darker(108)));
    p.setPen(QPen(hover ? kBlue : kDarkBlue.lighter(180), hover ? 2 : 1));
    p.setBrush(face);
    p.drawRoundedRect(cell, 6, 6);
    const QRectF symbol = cell.adjusted(4, 4, -4, -4).translated(pressed ? 1 : 0, pressed ? 1 : 0);
    p.save();
    drawSymbol(p, symbol);
    p.restore();
  }
  return image;
}

// A square of side s centred in r.
QRectF Square(const QRectF& r, double s) {
  return QRectF(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
}

void Speaker(QPainter& p, const QRectF& r, int waves) {
  const double s = r.height();
  const double x = r.center().x() - s * 0.6;
  const double y = r.top();
  QPolygonF body;
  body << QPointF(x, y + s * 0.35) << QPointF(x + s * 0.25, y + s * 0.35)
       << QPointF(x + s * 0.55, y + s * 0.1) << QPointF(x + s * 0.55, y + s * 0.9)
       << QPointF(x + s * 0.25, y + s * 0.65) << QPointF(x, y + s * 0.65);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawPolygon(body);
  p.setPen(QPen(kBlue, std::max(1.5, s * 0.08), Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  for (int i = 1; i <= waves; ++i) {
    const double radius = s * (0.18 + 0.17 * i);
    const QRectF arc(x + s * 0.55 - radius, y + s / 2 - radius, 2 * radius, 2 * radius);
    p.drawArc(arc, -45 * 16, 90 * 16);
  }
}

void Stop(QPainter& p, const QRectF& r) {
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawRoundedRect(Square(r, r.height() * 0.8), 3, 3);
}

void Disk(QPainter& p, const QRectF& r) {
  const QRectF d = Square(r, r.height() * 0.9);
  p.setPen(Qt::NoPen);
  p.setBrush(kDarkBlue);
  p.drawRoundedRect(d, 2, 2);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(d.left() + d.width() * 0.2, d.top() + d.height() * 0.5, d.width() * 0.6,
                    d.height() * 0.45));
  p.setBrush(kLightBlue);
  p.drawRect(QRectF(d.left() + d.width() * 0.25, d.top(), d.width() * 0.5, d.height() * 0.3));
  DrawWave(p,
           QRectF(d.left() + d.width() * 0.25, d.top() + d.height() * 0.55, d.width() * 0.5,
                  d.height() * 0.35),
           2, QPen(kBlue, 1.2));
}

void Envelope(QPainter& p, const QRectF& r) {
  const QRectF e(r.center().x() - r.height() * 0.7, r.top() + r.height() * 0.15, r.height() * 1.4,
                 r.height() * 0.7);
  p.setPen(QPen(kDarkBlue, 1.5));
  p.setBrush(Qt::white);
  p.drawRect(e);
  QPolygonF flap;
  flap << e.topLeft() << QPointF(e.center().x(), e.center().y() + 2) << e.topRight();
  p.drawPolyline(flap);
}

void Info(QPainter& p, const QRectF& r) {
  const QRectF c = Square(r, r.height() * 0.9);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawEllipse(c);
  p.setBrush(Qt::white);
  const double u = c.width() / 10;
  p.drawEllipse(QPointF(c.center().x(), c.top() + 2.8 * u), u, u);
  p.drawRoundedRect(QRectF(c.center().x() - u * 0.9, c.top() + 4.5 * u, 1.8 * u, 4 * u), u / 2,
                    u / 2);
}

void Power(QPainter& p, const QRectF& r) {
  const QRectF c = Square(r, r.height() * 0.8);
  p.setPen(QPen(kRed, std::max(2.0, c.width() * 0.12), Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  // A ring open at the top, with the bar through the opening.
  p.drawArc(c, 120 * 16, 300 * 16);
  p.drawLine(QPointF(c.center().x(), c.top() - 1), QPointF(c.center().x(), c.center().y()));
}

void GreekFlag(QPainter& p, const QRectF& f) {
  const double stripe = f.height() / 9;
  for (int i = 0; i < 9; ++i) {
    p.fillRect(QRectF(f.left(), f.top() + i * stripe, f.width(), stripe + 0.5),
               i % 2 == 0 ? kBlue : QColor(Qt::white));
  }
  const QRectF canton(f.left(), f.top(), stripe * 5, stripe * 5);
  p.fillRect(canton, kBlue);
  p.fillRect(QRectF(canton.left(), canton.top() + stripe * 2, canton.width(), stripe), Qt::white);
  p.fillRect(QRectF(canton.left() + stripe * 2, canton.top(), stripe, canton.height()), Qt::white);
}

void EnglishFlag(QPainter& p, const QRectF& f) {
  p.fillRect(f, kDarkBlue);
  p.save();
  p.setClipRect(f);
  const double w = f.height() / 5;
  p.setPen(QPen(Qt::white, w));
  p.drawLine(f.topLeft(), f.bottomRight());
  p.drawLine(f.bottomLeft(), f.topRight());
  p.setPen(QPen(kRed, w / 3));
  p.drawLine(f.topLeft(), f.bottomRight());
  p.drawLine(f.bottomLeft(), f.topRight());
  p.fillRect(QRectF(f.left(), f.center().y() - w, f.width(), 2 * w), Qt::white);
  p.fillRect(QRectF(f.center().x() - w, f.top(), 2 * w, f.height()), Qt::white);
  p.fillRect(QRectF(f.left(), f.center().y() - w * 0.6, f.width(), 1.2 * w), kRed);
  p.fillRect(QRectF(f.center().x() - w * 0.6, f.top(), 1.2 * w, f.height()), kRed);
  p.restore();
}

QRectF FlagIn(const QRectF& r) {
  const double h = std::min(r.height(), r.width() / 1.5);
  return QRectF(r.center().x() - h * 0.75, r.center().y() - h / 2, h * 1.5, h);
}

QImage Flag(int size, void (*draw)(QPainter&, const QRectF&)) {
  QImage image = NewImage(size, size, Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p, FlagIn(QRectF(0, 0, size, size)));
  return image;
}

// The product's name under a wave, filling rect.
void NameAndWave(QPainter& p, const QRectF& rect, const QColor& colour) {
  const double unit = rect.width() / (8 * 6);
  const double textHeight = unit * 6;
  DrawWave(p, QRectF(rect.left(), rect.top(), rect.width(), rect.height() - textHeight - unit * 2),
           7, QPen(colour, std::max(1.5, unit * 0.6)));
  DrawWord(p, "ZORVALIS", QPointF(rect.left() + unit / 2, rect.bottom() - textHeight), unit * 0.85,
           QPen(colour, std::max(1.5, unit * 0.7), Qt::SolidLine, Qt::RoundCap));
}

QImage Splash() {
  QImage image = NewImage(400, 240, kBlue);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 240);
  sky.setColorAt(0, kBlue.lighter(130));
  sky.setColorAt(1, kDarkBlue);
  p.fillRect(image.rect(), sky);
  NameAndWave(p, QRectF(40, 40, 320, 150), Qt::white);
  p.setPen(QPen(QColor(255, 255, 255, 120), 2));
  p.drawLine(40, 210, 360, 210);
  return image;
}

QImage Logo() {
  QImage image = NewImage(290, 120, Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  NameAndWave(p, QRectF(12, 10, 266, 100), kBlue);
  return image;
}

QImage Banner() {
  QImage image = NewImage(128, 120, Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < 5; ++i) {
    DrawWave(p, QRectF(8, 20 + i * 18, 112, 16 + i * 4), 3 + i,
             QPen(kBlue.lighter(100 + 20 * i), 1.5));
  }
  return image;
}

QImage AppIcon() {
  QImage image = NewImage(64, 64, Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawEllipse(QRectF(2, 2, 60, 60));
  DrawWave(p, QRectF(10, 18, 44, 28), 3, QPen(Qt::white, 3));
  return image;
}

}  // namespace

QImage DrawPicture(int id) {
  switch (id) {
    case pictures::kAppIcon:
      return AppIcon();
    case pictures::kSplash:
      return Splash();
    case pictures::kLogo:
      return Logo();
    case pictures::kBanner:
      return Banner();
    case pictures::kSpeak:
      return Strip(64, 40, [](QPainter& p, QRectF r) { Speaker(p, r, 2); });
    case pictures::kStop:
      return Strip(64, 40, Stop);
    case pictures::kSave:
      return Strip(64, 40, Disk);
    case pictures::kReport:
      return Strip(64, 40, Envelope);
    case pictures::kAbout:
      return Strip(64, 40, Info);
    case pictures::kExit:
      return Strip(64, 40, Power);
    case pictures::kGreekButton:
      return Strip(120, 87, [](QPainter& p, QRectF r) { GreekFlag(p, FlagIn(r)); });
    case pictures::kEnglishButton:
      return Strip(120, 87, [](QPainter& p, QRectF r) { EnglishFlag(p, FlagIn(r)); });
    case pictures::kGreekIcon:
      return Flag(32, GreekFlag);
    case pictures::kEnglishIcon:
      return Flag(32, EnglishFlag);
    case pictures::kProductPage:
      return Strip(320, 140, [](QPainter& p, QRectF r) {
        NameAndWave(p, r.adjusted(16, 8, -16, -8), kBlue);
      });
    case pictures::kSynthesizerPage:
      return Strip(110, 60, [](QPainter& p, QRectF r) {
        DrawWave(p, r, 4, QPen(kDarkBlue, 1.5));
        DrawWave(p, r.adjusted(0, r.height() / 4, 0, -r.height() / 4), 9, QPen(kRed, 1));
      });
    default:
      return QImage();
  }
}

std::vector<QImage> DrawAnimation() {
  constexpr int kSize = 64;
  // The still frame has no waves; then the waves come and go.
  constexpr int kWaves[] = {0, 1, 2, 3, 2, 1, 2, 3};
  std::vector<QImage> frames;
  for (int waves : kWaves) {
    QImage image = NewImage(kSize, kSize, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Speaker(p, QRectF(12, 14, 40, 36), waves);
    frames.push_back(image);
  }
  return frames;
}

}  // namespace appimages
