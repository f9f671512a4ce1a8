#include "support/errorHandler.h"

bool answerInterface(int id, void** out, void* self, void* handler, void* tracer, void* playback) {
  if (out == nullptr) return false;
  void* part = nullptr;
  switch (id) {
    case IID_SELF:
      part = self;
      break;
    case IID_ERROR_HANDLER:
      part = handler;
      break;
    case IID_TRACER:
      part = tracer;
      break;
    case IID_PLAYBACK:
      part = playback;
      break;
    default:
      break;
  }
  *out = part;
  return part != nullptr;
}

bool errorHandler::queryInterface(int id, void** out) {
  return answerInterface(id, out, this, this, nullptr);
}

int errorHandler::getErrorCode() const { return code_; }

int errorHandler::getErrorText(std::string& out) const {
  out = text_;
  return code_;
}

const std::string& errorHandler::getErrorTextRef() const { return text_; }

bool errorHandler::setError(int code, const std::string& text) {
  code_ = code;
  text_ = text;
  return true;
}
