#include "app/CSplashWnd.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/Pictures.h"

namespace {
bool g_splashEnabled = false;
CSplashWnd* g_splash = nullptr;
}  // namespace

CSplashWnd::CSplashWnd(QWidget* owner)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(owner) {}

CSplashWnd::~CSplashWnd() {
  if (g_splash == this) g_splash = nullptr;
}

void CSplashWnd::EnableSplashScreen(bool enable) { g_splashEnabled = enable; }

CSplashWnd* CSplashWnd::Current() { return g_splash; }

void CSplashWnd::ShowSplashScreen(QWidget* owner, int displayMs) {
  if (!g_splashEnabled || g_splash != nullptr) return;
  auto* splash = new CSplashWnd(owner);
  if (!splash->Create()) {
    delete splash;
    return;
  }
  g_splash = splash;
  splash->OnCreate(displayMs);
  splash->show();
  splash->repaint();
}

bool CSplashWnd::Create() {
  bitmap_ = pictures::Load(pictures::kSplash);
  if (bitmap_.isNull()) return false;
  setFixedSize(bitmap_.size());
  setCursor(Qt::ArrowCursor);
  return true;
}

void CSplashWnd::OnCreate(int displayMs) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
  timer_ = startTimer(displayMs);
}

void CSplashWnd::paintEvent(QPaintEvent*) { OnPaint(); }

void CSplashWnd::OnPaint() {
  QPainter painter(this);
  painter.drawPixmap(0, 0, bitmap_);
}

void CSplashWnd::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_) OnTimer();
}

void CSplashWnd::OnTimer() { HideSplashScreen(); }

bool CSplashWnd::PreTranslateAppMessage(QEvent* event) {
  if (g_splash == nullptr) return false;
  bool press = event->type() == QEvent::KeyPress;
  if (event->type() == QEvent::MouseButtonPress ||
      event->type() == QEvent::NonClientAreaMouseButtonPress) {
    const Qt::MouseButton button = static_cast<const QMouseEvent*>(event)->button();
    press = button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
  }
  if (press) HideSplashScreen();
  return press;
}

void CSplashWnd::HideSplashScreen() {
  CSplashWnd* splash = g_splash;
  if (splash == nullptr) return;
  g_splash = nullptr;
  splash->killTimer(splash->timer_);
  splash->hide();
  // The splash may be in one of its own handlers: it goes once they return.
  splash->deleteLater();
  if (splash->owner_ && splash->owner_->isVisible()) splash->owner_->repaint();
}
