// The splash window: a borderless picture in the middle of the screen that
// covers the main dialog's start. It goes after its display time or at the
// first key or mouse press anywhere in the program, which it consumes. At
// most one exists.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QEvent;

class CSplashWnd : public QWidget {
 public:
  static constexpr int kDisplayMs = 5000;

  ~CSplashWnd() override;

  // Whether ShowSplashScreen shows anything (from the command line).
  static void EnableSplashScreen(bool enable);
  // Shows the splash when enabled and none is up; owner is the window it
  // belongs to (may be null). Nothing when the picture cannot be read.
  static void ShowSplashScreen(QWidget* owner, int displayMs = kDisplayMs);
  // Called for every event of the program first: while the splash is up, a
  // key or mouse-button press hides it and is consumed (true).
  static bool PreTranslateAppMessage(QEvent* event);
  static void HideSplashScreen();
  // The splash that is up, or null.
  static CSplashWnd* Current();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  explicit CSplashWnd(QWidget* owner);
  bool Create();
  void OnCreate(int displayMs);
  void OnPaint();
  void OnTimer();

  QPixmap bitmap_;
  QPointer<QWidget> owner_;
  int timer_ = 0;
};
