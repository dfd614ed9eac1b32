// The window system's event loop. Needs the application object that start-up creates.
#pragma once

namespace vorel::platform {

// Runs until the last window closes; returns the loop's exit code.
int RunMessageLoop();
// Lets the pending events run (input, paint, timers) and returns.
void ProcessPendingEvents();

}  // namespace vorel::platform
