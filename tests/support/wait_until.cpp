#include "support/wait_until.h"

#include <QCoreApplication>
#include <QThread>

namespace vorel::test {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

}  // namespace vorel::test
