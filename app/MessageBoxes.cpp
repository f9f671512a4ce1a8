#include "app/MessageBoxes.h"

#include <QEventLoop>
#include <QPointer>
#include <vector>

#include "app/Texts.h"

namespace message_boxes {

namespace {

struct OpenBox {
  QPointer<QMessageBox> box;
  QString first;
  int joined = 0;
  QStringList lastLines;
};

// The boxes shown, the first still open among them receives what comes.
std::vector<OpenBox> g_boxes;

OpenBox* FirstOpen() {
  std::vector<OpenBox> open;
  for (OpenBox& entry : g_boxes) {
    if (entry.box) open.push_back(std::move(entry));
  }
  g_boxes = std::move(open);
  return g_boxes.empty() ? nullptr : &g_boxes.front();
}

}  // namespace

QString JoinedText(const QString& first, int joined, const QStringList& lastLines) {
  const QString count = g_bGreek ? QString("Ακόμα %1 μηνύματα· τα τελευταία:")
                                 : QString("%1 more messages; the last:");
  return first + "\n\n" + count.arg(joined) + "\n" + lastLines.join('\n');
}

void Show(const QString& caption, const QString& text, QMessageBox::Icon icon, QWidget* owner,
          int messages) {
  if (OpenBox* open = FirstOpen()) {
    open->joined += messages;
    open->lastLines += text.split('\n');
    while (open->lastLines.size() > kJoinedLines) open->lastLines.removeFirst();
    open->box->setText(JoinedText(open->first, open->joined, open->lastLines));
    return;
  }
  QWidget* parent = owner != nullptr && owner->isVisible() ? owner : nullptr;
  auto* box = new QMessageBox(icon, caption, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
  g_boxes.push_back({box, text, 0, {}});
}

bool AnyOpen() { return FirstOpen() != nullptr; }

void WaitUntilClosed() {
  while (OpenBox* open = FirstOpen()) {
    QEventLoop untilClosed;
    QObject::connect(open->box, &QObject::destroyed, &untilClosed, &QEventLoop::quit);
    untilClosed.exec();
  }
}

}  // namespace message_boxes
