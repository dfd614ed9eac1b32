#include "platform/window/combo_box.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

#include "platform/window/qt_bridge.h"
#include "platform/window/window.h"

namespace vorel::platform {

ComboBox::ComboBox(Window& parent, Rect where, int dropDownHeight)
    : box_(MakeOwnedByParent<QComboBox>(parent.Widget())) {
  box_->setGeometry(where.x, where.y, where.width, where.height);
  box_->setEditable(true);
  box_->setInsertPolicy(QComboBox::NoInsert);
  // Enough visible rows to fill the requested height before the list scrolls.
  const int rowHeight = std::max(1, box_->fontMetrics().height() + 4);
  box_->setMaxVisibleItems(std::max(1, dropDownHeight / rowHeight));
}

int ComboBox::GetSelection() const { return box_->currentIndex(); }

void ComboBox::SetSelection(int position) {
  if (position < 0 || box_->count() == 0) {
    box_->setCurrentIndex(-1);
    return;
  }
  box_->setCurrentIndex(std::min(position, box_->count() - 1));
}

void ComboBox::Clear() { box_->clear(); }

void ComboBox::AddItem(const std::string& text, int itemData) {
  // Adding leaves the selection as it was (Qt would select the first item of an empty box).
  const int selection = box_->currentIndex();
  box_->addItem(ToQString(text), itemData);
  if (box_->currentIndex() != selection) box_->setCurrentIndex(selection);
}

int ComboBox::Count() const { return box_->count(); }

std::string ComboBox::ItemText(int position) const {
  if (position < 0 || position >= box_->count()) return {};
  return FromQString(box_->itemText(position));
}

int ComboBox::ItemData(int position) const {
  if (position < 0 || position >= box_->count()) return 0;
  return box_->itemData(position).toInt();
}

std::string ComboBox::GetText() const { return FromQString(box_->currentText()); }

void ComboBox::SetText(const std::string& text) { box_->setEditText(ToQString(text)); }

}  // namespace vorel::platform
