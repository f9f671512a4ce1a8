// The engine's message boxes on the desktop. The engine reports from
// whichever thread meets the trouble, the speech thread included; while an
// EngineReports object lives, each report is handed to the GUI thread and
// shown there (message_boxes: reports that come while a box of theirs is
// open join it), without its time stamp; the reporting thread goes on at
// once (the report is also written to stderr). When the process ends
// through the exit hook, the exit waits until the user has closed the
// boxes.
#pragma once

#include "platform/MessageBox.h"

class EngineReports {
 public:
  EngineReports();
  ~EngineReports();
  EngineReports(const EngineReports&) = delete;
  EngineReports& operator=(const EngineReports&) = delete;

  // GUI thread: while held, reports wait; releasing shows them (they join
  // a box of theirs that is open), or joins them to the box on the screen
  // when there is one (the box of a failed start, which they explain).
  // Ending the process releases them too.
  static void Hold(bool hold);

 private:
  platform::MessageSink previous_;
};
