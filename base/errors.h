// The root of the program's exceptions: a message and nothing else. Every part raises
// its own kinds of it (pattern errors, input and output errors, a cancelled search); the
// shell decides how a failure is shown. Messages are UTF-8 texts, shown as they are.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace varsik {

class EVarsikError : public std::exception {
 public:
  explicit EVarsikError(std::string message) : Msg(std::move(message)) {}
  const char* what() const noexcept override { return Msg.c_str(); }
  const std::string& Message() const noexcept { return Msg; }

 private:
  std::string Msg;
};

}  // namespace varsik
