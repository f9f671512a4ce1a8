#include "app/CHoverButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include "app/Pictures.h"
#include "app/Texts.h"

namespace {
constexpr int kFrames = 3;
constexpr int kNormalFrame = 0;
constexpr int kPressedFrame = 1;
constexpr int kHoverFrame = 2;
// The focus frame's distance from the button's edge.
constexpr int kFocusInset = 2;
}  // namespace

CHoverButton::CHoverButton(QWidget* parent) : QAbstractButton(parent) { setMouseTracking(true); }

bool CHoverButton::LoadBitmap(int id) { return LoadBitmap(pictures::Load(id)); }

bool CHoverButton::LoadBitmap(const QPixmap& strip) {
  if (strip.isNull()) return false;
  strip_ = strip;
  frameWidth_ = strip.width() / kFrames;
  frameHeight_ = strip.height();
  resize(frameWidth_, frameHeight_);
  update();
  return true;
}

void CHoverButton::SetToolTipText(int id, bool activate) {
  const std::string text = texts::String(id);
  if (!text.empty()) SetToolTipText(text.c_str(), activate);
}

void CHoverButton::SetToolTipText(const char* text, bool activate) {
  if (text == nullptr) return;
  setToolTip(activate ? QString::fromUtf8(text) : QString());
}

int CHoverButton::CurrentFrame() const {
  if (isDown()) return kPressedFrame;
  return hover_ ? kHoverFrame : kNormalFrame;
}

void CHoverButton::OnMouseMove() {
  if (tracking_) return;
  // The hover report follows at once: the hover time is a millisecond.
  tracking_ = true;
  OnMouseHover();
}

void CHoverButton::OnMouseHover() {
  hover_ = true;
  update();
}

void CHoverButton::OnMouseLeave() {
  tracking_ = false;
  hover_ = false;
  update();
}

QSize CHoverButton::sizeHint() const {
  if (!strip_.isNull()) return QSize(frameWidth_, frameHeight_);
  return QSize(fontMetrics().horizontalAdvance(text()) + 16, fontMetrics().height() + 10);
}

void CHoverButton::paintEvent(QPaintEvent*) { DrawItem(); }

void CHoverButton::DrawItem() {
  if (strip_.isNull()) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    if (isDown()) option.state |= QStyle::State_Sunken;
    painter.drawControl(QStyle::CE_PushButton, option);
    return;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, strip_, CurrentFrame() * frameWidth_, 0, frameWidth_, frameHeight_);
  // The keyboard's focus shows as the style's focus frame over the picture.
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void CHoverButton::enterEvent(QEnterEvent* event) {
  OnMouseMove();
  QAbstractButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event) {
  OnMouseLeave();
  QAbstractButton::leaveEvent(event);
}

void CHoverButton::mouseMoveEvent(QMouseEvent* event) {
  OnMouseMove();
  QAbstractButton::mouseMoveEvent(event);
}
