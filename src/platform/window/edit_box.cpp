#include "platform/window/edit_box.h"

#include <QLineEdit>
#include <limits>

#include "platform/window/qt_bridge.h"
#include "platform/window/window.h"

namespace vorel::platform {

EditBox::EditBox(Window& parent, Rect where, const std::string& text)
    : edit_(MakeOwnedByParent<QLineEdit>(parent.Widget())) {
  edit_->setGeometry(where.x, where.y, where.width, where.height);
  edit_->setFrame(true);
  edit_->setMaxLength(std::numeric_limits<int>::max());
  edit_->setText(ToQString(text));
  edit_->setCursorPosition(0);
}

std::string EditBox::GetText() const { return FromQString(edit_->text()); }

void EditBox::SetText(const std::string& text) { edit_->setText(ToQString(text)); }

}  // namespace vorel::platform
