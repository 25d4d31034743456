#include "platform/pending_events.h"

namespace linkgrab {

namespace {
PendingEventsHandler currentHandler = nullptr;
}

void SetPendingEventsHandler(PendingEventsHandler handler) { currentHandler = handler; }

void ProcessPendingEvents() {
    if (currentHandler != nullptr) currentHandler();
}

}  // namespace linkgrab
