// The support library's error convention: every object that can fail keeps
// its last error (a code and a text) in an errorHandler and hands out its
// parts through queryInterface.
#pragma once

#include <cstdint>
#include <string>

#include "support/constants.h"

// Identifiers of queryInterface.
enum : int {
  IID_SELF = 0,
  IID_ERROR_HANDLER = 1,
  IID_TRACER = 2,
  IID_PLAYBACK = 4,
};

// Answers queryInterface for an object from the parts it has: itself, its
// error handler, its trace writer and its playback interface (null for a
// part it lacks). A null out pointer, or an id whose part is missing, gives
// false.
bool answerInterface(int id, void** out, void* self, void* handler, void* tracer,
                     void* playback = nullptr);

// The abstract base of the library's classes.
class CInterface {
 public:
  virtual bool queryInterface(int id, void** out) = 0;

 protected:
  ~CInterface() = default;
};

class errorHandler {
 public:
  errorHandler() = default;
  errorHandler(const errorHandler&) = default;
  errorHandler& operator=(const errorHandler&) = default;

  virtual bool queryInterface(int id, void** out);
  virtual int getErrorCode() const;
  virtual int getErrorText(std::string& out) const;
  virtual const std::string& getErrorTextRef() const;
  virtual ~errorHandler() = default;
  virtual bool setError(int code, const std::string& text);

 private:
  std::string text_;
  int32_t code_ = 0;
};
