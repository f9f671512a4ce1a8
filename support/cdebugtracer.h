// Diagnostic lines written to a ring of numbered trace files of bounded
// length, with a control record and an optional lock file shared by every
// tracer of the same name.
#pragma once

#include <string>

#include "support/errorHandler.h"

class CDebugTracer {
 public:
  CDebugTracer(const std::string& name, int files, int lines, bool enabled, bool useLock);
  CDebugTracer(const CDebugTracer&) = default;
  CDebugTracer& operator=(const CDebugTracer&) = default;
  ~CDebugTracer() = default;

  virtual bool queryInterface(int id, void** out);
  virtual void setName(const std::string& name);
  virtual void setFileCount(int files);
  virtual void setLinesPerFile(int lines);
  virtual void resetFiles();
  virtual void printline(std::string source, int line, std::string text);
  virtual void setEnabled(bool enabled);
  virtual void setUseLock(bool useLock);
  virtual bool getUseLock() const;

  int fileCount() const { return files_; }
  int linesPerFile() const { return lines_; }
  const std::string& name() const { return name_; }
  bool enabled() const { return enabled_; }

 private:
  int files_;
  int lines_;
  std::string name_;
  bool enabled_;
  bool useLock_;
};
