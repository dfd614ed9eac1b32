#include "text/events.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/codepage/code_page_936.h"
#include "text/text_primitives.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

// The hooks are set once by start-up (or by a test) and read from anywhere.
std::atomic<EventHook> processEventsHook{nullptr};
std::atomic<EventHook> processNonInputEventsHook{nullptr};
std::atomic<FatalErrorHook> fatalErrorHook{nullptr};

}  // namespace

void SetProcessEventsHook(EventHook hook) { processEventsHook.store(hook); }

void ProcessEvents() {
  if (EventHook hook = processEventsHook.load()) hook();
}

void SetProcessNonInputEventsHook(EventHook hook) { processNonInputEventsHook.store(hook); }

void ProcessNonInputEvents() {
  if (EventHook hook = processNonInputEventsHook.load()) hook();
}

void SetFatalErrorHook(FatalErrorHook hook) { fatalErrorHook.store(hook); }

Text FatalErrorText(int code, const Text& message) {
  Text text = FromUtf8("运行时出错!\r\n\r\n");
  if (code != 0) text += ConcatText(FromUtf8("错误代码："), NumberToText(code), "\r\n\r\n");
  text += ConcatText(FromUtf8("错误信息："), message, "\r\n");
  return text;
}

void FatalError(int code, const Text& message) {
  const Text text = FatalErrorText(code, message);
  if (FatalErrorHook hook = fatalErrorHook.load()) {
    hook(text);
  } else {
    const std::string utf8 = platform::Cp936ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  }
  std::fflush(nullptr);
  std::_Exit(-1);
}

Text AllocationFailureMessage(std::optional<std::size_t> bytes) {
  if (!bytes) return FromUtf8("分配内存失败!");
  return ConcatText(FromUtf8("分配 "), std::to_string(*bytes), FromUtf8(" 字节内存失败!"));
}

void ReportAllocationFailure(std::optional<std::size_t> bytes) {
  // Reporting allocates a little; a second failure on the way must not come back here.
  std::set_new_handler(nullptr);
  FatalError(0, AllocationFailureMessage(bytes));
}

void AllocationFailureHandler() { ReportAllocationFailure(std::nullopt); }

}  // namespace vorel
