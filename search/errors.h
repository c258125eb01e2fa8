// The text search's exceptions: end of file and a failed open are input/output errors;
// cancellation is its own kind, so that a walk can tell it from a failure.
#pragma once

#include "regex/errors.h"

namespace varsik {

class EInOutError : public EVarsikError {
 public:
  using EVarsikError::EVarsikError;
};

class EEndOfFile : public EInOutError {
 public:
  EEndOfFile() : EInOutError("End Of File") {}
};

// Carries the text of the error that the failed open reported.
class EFileNotFound : public EInOutError {
 public:
  using EInOutError::EInOutError;
};

class EGrepCancel : public EVarsikError {
 public:
  EGrepCancel() : EVarsikError("CancelRequest") {}
};

}  // namespace varsik
