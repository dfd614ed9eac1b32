#include "platform/window/timer.h"

#include <QTimer>

namespace vorel::platform {

Timer::Timer() : timer_(std::make_unique<QTimer>()), onTick_(std::make_shared<std::function<void()>>()) {
  timer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [handler = onTick_] {
    if (*handler) (*handler)();
  });
}

Timer::~Timer() = default;
Timer::Timer(Timer&&) noexcept = default;
Timer& Timer::operator=(Timer&&) noexcept = default;

void Timer::SetPeriod(int milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  if (milliseconds == period_) return;
  period_ = milliseconds;
  if (period_ == 0) {
    timer_->stop();
  } else {
    timer_->start(period_);
  }
}

int Timer::GetPeriod() const { return period_; }

int Timer::RemainingMilliseconds() const { return timer_->remainingTime(); }

void Timer::OnTick(std::function<void()> handler) { *onTick_ = std::move(handler); }

}  // namespace vorel::platform
