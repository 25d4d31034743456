// ProcessPendingEvents: the window provides it; with no window it does nothing.
#pragma once

namespace linkgrab {

using PendingEventsHandler = void (*)();

// Installs the routine that dispatches the window thread's waiting messages (nullptr: none).
void SetPendingEventsHandler(PendingEventsHandler handler);

// Dispatches every waiting message without waiting, leaving a quit request queued.
void ProcessPendingEvents();

}  // namespace linkgrab
