#include "support/errorHandler.h"

bool errorHandler::queryInterface(int id, void** out) {
  if (out == nullptr) return false;
  if (id == IID_SELF || id == IID_ERROR_HANDLER) {
    *out = this;
    return true;
  }
  *out = nullptr;
  return false;
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
