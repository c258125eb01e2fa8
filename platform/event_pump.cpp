#include "platform/event_pump.h"

#include <QCoreApplication>

namespace Platform {

void TEventPump::Poll() {
  if (Timer.elapsed() >= IntervalMs) PollNow();
}

void TEventPump::PollNow() {
  QCoreApplication::processEvents();
  Timer.restart();
}

}  // namespace Platform
