// The engine's message boxes on the desktop. The engine reports from
// whichever thread meets the trouble, the speech thread included; while an
// EngineReports object lives, each report is handed to the GUI thread and
// shown there in a box that does not hold up anyone: the reporting thread
// goes on at once (the report is also written to stderr). When the engine
// then ends the process, its exit waits until the user has seen the
// reports.
#pragma once

#include "platform/MessageBox.h"

class EngineReports {
 public:
  EngineReports();
  ~EngineReports();
  EngineReports(const EngineReports&) = delete;
  EngineReports& operator=(const EngineReports&) = delete;

 private:
  platform::MessageSink previous_;
};
