// Sets an environment variable for a test's time and gives the old value back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace varsik {

class TEnvironmentValue {
 public:
  TEnvironmentValue(const char* name, const std::string& value) : Name(name) {
    if (const char* old = std::getenv(name)) Old = old;
    setenv(name, value.c_str(), 1);
  }
  ~TEnvironmentValue() {
    if (Old)
      setenv(Name, Old->c_str(), 1);
    else
      unsetenv(Name);
  }
  TEnvironmentValue(const TEnvironmentValue&) = delete;
  TEnvironmentValue& operator=(const TEnvironmentValue&) = delete;

 private:
  const char* Name;
  std::optional<std::string> Old;
};

}  // namespace varsik
