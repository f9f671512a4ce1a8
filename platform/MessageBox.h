// The engine's message boxes. On the desktop a box is a dialog; elsewhere a
// line on stderr. Whoever owns the process may replace the sink (the dialog
// queues messages without blocking the speech thread; tests record them).
#pragma once

#include <functional>
#include <string>

namespace platform {

using MessageSink = std::function<void(const std::string& caption, const std::string& text)>;

// Shows one message with an OK button; returns when it has been dismissed
// (or, for a non-blocking sink, handed over).
void ShowMessageBox(const std::string& caption, const std::string& text);

// Replaces the sink and returns the previous one. An empty sink restores the
// default (stderr).
MessageSink SetMessageSink(MessageSink sink);

}  // namespace platform
