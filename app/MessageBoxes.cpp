#include "app/MessageBoxes.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <vector>

#include "app/Texts.h"

namespace message_boxes {

namespace {

struct OpenBox {
  QPointer<QMessageBox> box;
  QPointer<QWidget> owner;
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool reports = false;  // whether reports join it
  QString first;
  int joined = 0;
  QStringList lastLines;
};

// The boxes shown, oldest first; those closed since are dropped on the next
// look.
std::vector<OpenBox> g_boxes;

std::vector<OpenBox>& Open() {
  std::vector<OpenBox> open;
  for (OpenBox& entry : g_boxes) {
    if (entry.box) open.push_back(std::move(entry));
  }
  g_boxes = std::move(open);
  return g_boxes;
}

OpenBox* OpenReportsOf(const QString& caption, QMessageBox::Icon icon) {
  for (OpenBox& entry : Open()) {
    if (entry.reports && entry.icon == icon && entry.caption == caption) return &entry;
  }
  return nullptr;
}

// The window a box belongs to now. A window that runs modally blocks every
// window but its own and theirs, so a box belongs to the one on top.
QWidget* Home(QWidget* owner) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return owner != nullptr && owner->isVisible() ? owner : nullptr;
}

// Moves every open box whose window is no longer its home to its home,
// where it stays as it was on the screen, above the home.
void Rehome() {
  for (OpenBox& entry : Open()) {
    QWidget* home = Home(entry.owner);
    if (entry.box->parentWidget() == home) continue;
    const QPoint at = entry.box->pos();
    entry.box->setParent(home, entry.box->windowFlags());
    entry.box->move(at);
    entry.box->show();
    entry.box->raise();
  }
}

// Sees every window that starts or ends a modal run, and moves the boxes.
class ModalWatch : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool shown = event->type() == QEvent::Show;
    if ((shown || event->type() == QEvent::Hide) && watched->isWidgetType() && !g_boxes.empty()) {
      const auto* widget = static_cast<QWidget*>(watched);
      if (!widget->isWindow() || !widget->isModal()) return false;
      // A window is told that it is shown before its modal run blocks the
      // others, and that it is hidden after its run has ended.
      if (shown) {
        QMetaObject::invokeMethod(this, &Rehome, Qt::QueuedConnection);
      } else {
        Rehome();
      }
    }
    return false;
  }
};

void WatchModalWindows() {
  static QPointer<ModalWatch> watch;
  if (watch) return;
  watch = new ModalWatch(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(watch);
}

void Join(OpenBox& open, const QStringList& texts, qsizetype from) {
  open.joined += static_cast<int>(texts.size() - from);
  QStringList lines;
  for (qsizetype i = texts.size(); i-- > from && lines.size() < kJoinedLines;)
    lines = texts[i].split('\n') + lines;
  open.lastLines += lines;
  while (open.lastLines.size() > kJoinedLines) open.lastLines.removeFirst();
  open.box->setText(JoinedText(open.first, open.joined, open.lastLines));
}

// A new box on the screen.
OpenBox& OpenNew(const QString& caption, const QString& text, QMessageBox::Icon icon,
                 QWidget* owner, bool reports) {
  WatchModalWindows();
  auto* box = new QMessageBox(icon, caption, text, QMessageBox::Ok, Home(owner));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
  g_boxes.push_back({box, owner, caption, icon, reports, text, 0, {}});
  return g_boxes.back();
}

}  // namespace

QString JoinedText(const QString& first, int joined, const QStringList& lastLines) {
  QString count;
  if (joined == 1) {
    count =
        g_bGreek ? QString("Ακόμα 1 μήνυμα· το τελευταίο:") : QString("1 more message; the last:");
  } else {
    count = (g_bGreek ? QString("Ακόμα %1 μηνύματα· τα τελευταία:")
                      : QString("%1 more messages; the last:"))
                .arg(joined);
  }
  return first + "\n\n" + count + "\n" + lastLines.join('\n');
}

void Show(const QString& caption, const QString& text, QMessageBox::Icon icon, QWidget* owner) {
  OpenNew(caption, text, icon, owner, false);
}

void ShowReports(const QString& caption, const QStringList& reports, QMessageBox::Icon icon,
                 QWidget* owner) {
  if (reports.isEmpty()) return;
  qsizetype from = 0;
  OpenBox* open = OpenReportsOf(caption, icon);
  if (open == nullptr) {
    open = &OpenNew(caption, reports.front(), icon, owner, true);
    from = 1;
  }
  if (from < reports.size()) Join(*open, reports, from);
}

void JoinNewest(const QStringList& reports) {
  if (reports.isEmpty() || Open().empty()) return;
  Join(g_boxes.back(), reports, 0);
}

bool AnyOpen() { return !Open().empty(); }

void RaiseAll() {
  for (OpenBox& entry : Open()) entry.box->raise();
}

void WaitUntilClosed() {
  while (AnyOpen()) {
    QEventLoop untilClosed;
    QObject::connect(g_boxes.front().box, &QObject::destroyed, &untilClosed, &QEventLoop::quit);
    untilClosed.exec();
  }
}

}  // namespace message_boxes
