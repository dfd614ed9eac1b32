// The program as main() sets it up before its message loop: the state, the main window
// with its events connected and its creation handler run, shown, and the event hooks.
#pragma once

#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/window_created.h"
#include "platform/window/message_loop.h"
#include "text/events.h"

namespace vorel::test {

struct RunningProgram {
  AppState state;
  MainWindow window;

  explicit RunningProgram(const std::string& searchHost = "") {
    state.searchHost = searchHost;
    SetProcessEventsHook([] { platform::ProcessPendingEvents(); });
    SetProcessNonInputEventsHook([] { platform::ProcessPendingNonInputEvents(); });
    ConnectMainWindowEvents(state, window);
    OnWindowCreated(state, window);
    window.Show();
    platform::ProcessPendingEvents();
  }
  ~RunningProgram() {
    SetProcessNonInputEventsHook(nullptr);
    SetProcessEventsHook(nullptr);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
};

}  // namespace vorel::test
