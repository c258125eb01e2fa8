#include "platform/qt/event_pump.h"

#include <QCoreApplication>

namespace varsik {

namespace Platform {

void ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

}  // namespace Platform

}  // namespace varsik
