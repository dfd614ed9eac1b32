// A periodic timer of the window's thread (it has no window of its own).
//
// SetPeriod(0) stops it; any other period (ms) makes the tick event fire every period.
// Writing the period it already has changes nothing: a running interval is not
// restarted. A negative period counts as 0.
#pragma once

#include <functional>
#include <memory>

class QTimer;

namespace vorel::platform {

class Timer {
 public:
  Timer();
  ~Timer();
  Timer(Timer&&) noexcept;
  Timer& operator=(Timer&&) noexcept;

  void SetPeriod(int milliseconds);
  int GetPeriod() const;
  // Milliseconds until the next tick; -1 while stopped.
  int RemainingMilliseconds() const;
  void OnTick(std::function<void()> handler);

 private:
  std::unique_ptr<QTimer> timer_;
  std::shared_ptr<std::function<void()>> onTick_;
  int period_ = 0;
};

}  // namespace vorel::platform
