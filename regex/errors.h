// The root of the program's exceptions, and the pattern error that every part of the
// pattern engine raises. Messages are UTF-8 texts, shown to the user as they are.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

// The general exception class: a message and nothing else.
class EVarsikError : public std::exception {
 public:
  explicit EVarsikError(std::string message) : Msg(std::move(message)) {}
  const char* what() const noexcept override { return Msg.c_str(); }
  const std::string& Message() const noexcept { return Msg; }

 private:
  std::string Msg;
};

// A pattern that does not compile: the message says why, ErrorPos is the 1-based
// scanning position in the pattern where it was found (0 when the pattern as a whole is
// at fault, as for a pattern too complex to compile). The position is kept at full width so
// that it stays right in patterns longer than 65535 bytes.
class ERegExpParser : public EVarsikError {
 public:
  ERegExpParser(std::string message, int32_t pos)
      : EVarsikError(std::move(message)), ErrorPos(pos) {}
  int32_t ErrorPos;
};
