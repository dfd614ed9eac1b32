// Hooks through which the text layer reaches the window system without depending on it.
//
// ProcessEvents runs the window's pending events through the hook that start-up
// installs; with no hook installed it does nothing, so the code that calls it runs in
// plain programs and tests.
// FatalError reports through the fatal-error hook (a message box titled "错误" in the
// program), or on standard error when none is installed, and ends the process with -1.
#pragma once

#include <cstddef>
#include <optional>

#include "text/text_types.h"

namespace vorel {

using EventHook = void (*)();
using FatalErrorHook = void (*)(const Text& message);  // message in code page 936

void SetProcessEventsHook(EventHook hook);
void ProcessEvents();

// Runs the window's pending events except user input (repaints and timer ticks, no
// clicks or keys, so no handler starts inside the caller). For routines that block the
// window but should keep it painted and its clock running. No hook: nothing happens.
void SetProcessNonInputEventsHook(EventHook hook);
void ProcessNonInputEvents();

void SetFatalErrorHook(FatalErrorHook hook);
// code 0 means "no code". Never returns.
[[noreturn]] void FatalError(int code, const Text& message);

// The text of the fatal-error box: "运行时出错!\r\n\r\n", then "错误代码：" with the
// code and a blank line when code != 0, then "错误信息：" with the message and "\r\n".
Text FatalErrorText(int code, const Text& message);

// Allocation failure. Nothing is installed globally: start-up installs
// AllocationFailureHandler with std::set_new_handler. A new-handler is not told the
// size that was asked for, so its message leaves the number out ("分配内存失败!");
// code that knows the size calls ReportAllocationFailure(bytes) and gets
// "分配 <bytes> 字节内存失败!". Both end the process through FatalError.
Text AllocationFailureMessage(std::optional<std::size_t> bytes);
[[noreturn]] void ReportAllocationFailure(std::optional<std::size_t> bytes);
void AllocationFailureHandler();

}  // namespace vorel
