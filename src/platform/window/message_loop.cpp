#include "platform/window/message_loop.h"

#include <QApplication>

namespace vorel::platform {

int RunMessageLoop() { return QApplication::exec(); }

void ProcessPendingEvents() { QCoreApplication::processEvents(); }

void ProcessPendingNonInputEvents() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace vorel::platform
