// Hooks through which the text layer reaches the window system without depending on it.
//
// ProcessEvents runs the window's pending events through the hook that start-up
// installs; with no hook installed it does nothing, so the code that calls it runs in
// plain programs and tests.
// FatalError reports through the fatal-error hook (a message box titled "错误" in the
// program), or on standard error when none is installed, and ends the process with -1.
#pragma once

#include "text/text_types.h"

namespace vorel {

using EventHook = void (*)();
using FatalErrorHook = void (*)(const Text& message);  // message in code page 936

void SetProcessEventsHook(EventHook hook);
void ProcessEvents();

void SetFatalErrorHook(FatalErrorHook hook);
// code 0 means "no code". Never returns.
[[noreturn]] void FatalError(int code, const Text& message);

}  // namespace vorel
