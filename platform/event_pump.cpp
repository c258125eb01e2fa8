#include "platform/event_pump.h"

#include <QCoreApplication>

namespace Platform {

void ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

}  // namespace Platform
