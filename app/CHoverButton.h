// The picture button of every window: it shows one frame of a strip of
// three (0 normal, 1 pressed, 2 mouse over it) and a tooltip. Without a
// strip it is drawn as an ordinary push button with its text.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

class CHoverButton : public QAbstractButton {
 public:
  explicit CHoverButton(QWidget* parent = nullptr);

  // Loads the strip of picture id (see PictureFiles.h) or takes strip:
  // the frame is a third of its width (truncated) by its height, and the
  // button takes the frame's size where it stands. False for a null strip.
  bool LoadBitmap(int id);
  bool LoadBitmap(const QPixmap& strip);
  // The tooltip: the string of id in the string table, or text; an empty
  // string id or a null text leaves it as it is; activate false switches
  // the tooltip off.
  void SetToolTipText(int id, bool activate = true);
  void SetToolTipText(const char* text, bool activate = true);

  int frameWidth() const { return frameWidth_; }
  int frameHeight() const { return frameHeight_; }
  // The frame that the button shows now.
  int CurrentFrame() const;

  // The mouse has moved onto the button: starts hover tracking once.
  void OnMouseMove();
  void OnMouseHover();
  void OnMouseLeave();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  // Draws the current frame (or, without a strip, a push button).
  void DrawItem();

  bool hover_ = false;
  bool tracking_ = false;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  QPixmap strip_;
};
