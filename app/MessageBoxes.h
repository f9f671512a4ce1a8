// The program's message boxes on the GUI thread. A box holds up no one: it
// is shown and the caller goes on. While a box is open, what comes joins it
// instead of opening another: the box keeps its first text and adds how
// many messages joined it and the last lines of them.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace message_boxes {

// At most this many lines of the joined messages are shown, the newest.
constexpr int kJoinedLines = 6;

// Shows text in a box, or joins it to the box that is open. owner: the
// window the box belongs to (null, or a window not on the screen, for a
// box of its own in the middle of the screen). messages: how many messages
// text holds (their lines one after another) when it joins a box. GUI
// thread only.
void Show(const QString& caption, const QString& text, QMessageBox::Icon icon, QWidget* owner,
          int messages = 1);

// The text of a box that joined more messages have come to: first, then a
// line with their number (in the interface language), then lastLines.
QString JoinedText(const QString& first, int joined, const QStringList& lastLines);

// Whether a box is on the screen.
bool AnyOpen();

// Runs the event loop until no box is open. GUI thread only.
void WaitUntilClosed();

}  // namespace message_boxes
