// Letting the event loop run from inside a long handler (a search), throttled by
// time: asking Qt to process events costs far more than one poll point of a search.
#pragma once

#include <QElapsedTimer>

namespace Platform {

class TEventPump {
 public:
  explicit TEventPump(int intervalMs = 5) : IntervalMs(intervalMs) { Timer.start(); }

  // Runs QCoreApplication::processEvents when the interval has passed since the last
  // time it did. Called on the user-interface thread only.
  void Poll();
  // Runs the event loop now, whatever the interval.
  void PollNow();
  void SetInterval(int intervalMs) { IntervalMs = intervalMs; }

 private:
  int IntervalMs;
  QElapsedTimer Timer;
};

}  // namespace Platform
