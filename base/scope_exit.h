// TScopeExit: runs an action when the scope it lives in is left, by any way out, so that
// state set for the length of a call is undone whatever the call raises.
#pragma once

#include <utility>

namespace varsik {

template <typename TAction>
class TScopeExit {
 public:
  explicit TScopeExit(TAction action) : Action(std::move(action)) {}
  ~TScopeExit() { Action(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  TAction Action;
};

}  // namespace varsik
