#include "MessageBox.h"

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

void StderrSink(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

std::mutex& SinkMutex() {
  static std::mutex m;
  return m;
}

MessageSink& CurrentSink() {
  static MessageSink sink = StderrSink;
  return sink;
}

}  // namespace

void ShowMessageBox(const std::string& caption, const std::string& text) {
  MessageSink sink;
  {
    std::lock_guard<std::mutex> lock(SinkMutex());
    sink = CurrentSink();
  }
  sink(caption, text);
}

MessageSink SetMessageSink(MessageSink sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  MessageSink previous = CurrentSink();
  CurrentSink() = sink ? std::move(sink) : MessageSink(StderrSink);
  return previous;
}

}  // namespace platform
