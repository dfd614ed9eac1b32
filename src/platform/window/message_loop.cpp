#include "platform/window/message_loop.h"

#include <QApplication>

namespace vorel::platform {

int RunMessageLoop() { return QApplication::exec(); }

void ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace vorel::platform
