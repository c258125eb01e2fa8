// Letting the event loop run from inside a long handler (a search). The caller throttles
// it by time: asking Qt to process events costs far more than one poll point of a search.
#pragma once

namespace varsik {

namespace Platform {

// Runs QCoreApplication::processEvents once. Called on the user-interface thread only.
void ProcessPendingEvents();

}  // namespace Platform

}  // namespace varsik
