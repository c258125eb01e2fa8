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

// A file decoded in the one encoding that its head left (TDecodedInput::SetSpeculate) has
// more bytes that do not decode in it than detection allows: it is Shift JIS after all,
// and what was read of it is to be dropped.
class EMisreadEncoding : public EVarsikError {
 public:
  EMisreadEncoding() : EVarsikError("MisreadEncoding") {}
};

class EGrepCancel : public EVarsikError {
 public:
  EGrepCancel() : EVarsikError("CancelRequest") {}
};

}  // namespace varsik
