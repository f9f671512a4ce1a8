// The program's message boxes on the GUI thread. A box holds up no one: it
// is shown and the caller goes on. Each message has a box of its own, but
// reports (the engine's) join the open box of reports of their caption and
// icon instead of opening another: that box keeps its first text and adds
// how many reports joined it and the last lines of them.
//
// Every box answers the keyboard, its OK button and its close button
// whatever window runs modally: it belongs to the window that runs modally on top
// (the main window during its run, the About dialog while that is open),
// else to its owner when that is on the screen, and it moves to the next
// such window when that one goes.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace message_boxes {

// At most this many lines of the joined reports are shown, the newest.
constexpr int kJoinedLines = 6;

// Shows text in a box of its own. owner: the window the box belongs to
// when no window runs modally (null, or a window not on the screen, for a
// box in the middle of the screen). GUI thread only.
void Show(const QString& caption, const QString& text, QMessageBox::Icon icon, QWidget* owner);

// Shows reports, one text each, oldest first: they join the open box of
// reports of caption and icon, or the first opens a new box (as Show) and
// the rest join it. GUI thread only.
void ShowReports(const QString& caption, const QStringList& reports, QMessageBox::Icon icon,
                 QWidget* owner);

// Adds reports to the newest open box, whatever its caption (the box that
// they explain); nothing when no box is open. GUI thread only.
void JoinNewest(const QStringList& reports);

// The text of a box that joined more reports have come to: first, then a
// line with their number (in the interface language), then lastLines.
QString JoinedText(const QString& first, int joined, const QStringList& lastLines);

// Whether a box is on the screen.
bool AnyOpen();

// Puts the open boxes above every other window of the program, the newest
// on top (after a window of the program has been brought to the front).
void RaiseAll();

// Runs the event loop until no box is open. GUI thread only.
void WaitUntilClosed();

}  // namespace message_boxes
