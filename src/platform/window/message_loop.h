// The window system's event loop. Needs the application object that start-up creates.
#pragma once

namespace vorel::platform {

// Runs until the last window closes; returns the loop's exit code.
int RunMessageLoop();
// Lets the pending events run (input, paint, timers) and returns.
void ProcessPendingEvents();
// Lets the pending events run except user input: repaints and timers run, clicks and
// keys wait for the loop.
void ProcessPendingNonInputEvents();

}  // namespace vorel::platform
