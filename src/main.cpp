// Vorel: start-up, message loop and shutdown.
//
// Start-up: the window system, the program's folder as the current directory (the file
// that 下载 writes lands there), the state, the hooks through which the text layer lets
// events run and reports fatal errors, then the main window, whose creation handler runs
// before the first user input. Closing the window ends the loop; the window goes first,
// then the state, whose player closes the media it opened.
#include <QApplication>
#include <filesystem>
#include <new>
#include <system_error>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/main_window_events.h"
#include "app/window_created.h"
#include "platform/dialogs/message_box.h"
#include "platform/window/message_loop.h"
#include "text/events.h"
#include "text/utf8_literal.h"

namespace {

void MakeProgramFolderCurrent() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) std::filesystem::current_path(program.parent_path(), error);
}

void ShowFatalError(const vorel::Text& message) {
  vorel::platform::ShowErrorBox(vorel::FromUtf8("错误"), message);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(vorel::AllocationFailureHandler);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vorel"));
  MakeProgramFolderCurrent();

  vorel::AppState state;
  state.searchHost = VOREL_SEARCH_HOST;
  vorel::SetProcessEventsHook([] { vorel::platform::ProcessPendingEvents(); });
  vorel::SetProcessNonInputEventsHook([] { vorel::platform::ProcessPendingNonInputEvents(); });
  vorel::SetFatalErrorHook(ShowFatalError);

  int result = 0;
  {
    vorel::MainWindow window;
    vorel::ConnectMainWindowEvents(state, window);
    vorel::OnWindowCreated(state, window);
    window.Show();
    result = vorel::platform::RunMessageLoop();
  }

  vorel::SetFatalErrorHook(nullptr);
  vorel::SetProcessNonInputEventsHook(nullptr);
  vorel::SetProcessEventsHook(nullptr);
  return result;
}
