#include "platform/qt/event_pump.h"

#include <QCoreApplication>

namespace Platform {

void ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

}  // namespace Platform
