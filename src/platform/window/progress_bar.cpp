#include "platform/window/progress_bar.h"

#include <QProgressBar>
#include <algorithm>

#include "platform/window/qt_bridge.h"
#include "platform/window/window.h"

namespace vorel::platform {
namespace {

int Limit(int value) { return std::clamp(value, 0, ProgressBar::kLargestValue); }

}  // namespace

ProgressBar::ProgressBar(Window& parent, Rect where)
    : bar_(MakeOwnedByParent<QProgressBar>(parent.Widget())) {
  bar_->setGeometry(where.x, where.y, where.width, where.height);
  bar_->setTextVisible(false);
  Draw();
}

void ProgressBar::SetPosition(int position) {
  position_ = Limit(position);
  Draw();
}

int ProgressBar::GetPosition() const { return position_; }

void ProgressBar::SetMaximum(int maximum) {
  maximum_ = Limit(maximum);
  Draw();
}

int ProgressBar::GetMaximum() const { return maximum_; }

void ProgressBar::Draw() {
  // An empty range would make Qt draw a busy indicator; a bar of maximum 0 stays empty.
  bar_->setRange(0, std::max(maximum_, 1));
  bar_->setValue(std::min(position_, maximum_));
}

}  // namespace vorel::platform
