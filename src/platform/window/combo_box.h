// A drop-down combo box with an editable text field. Items keep the order in which they
// were added; each carries an integer item data. Positions count from 0.
//
// Selection: reading gives -1 when no item is selected. Setting a position beyond the
// last item selects the last item, so an empty box is left without a selection; a
// negative position clears the selection. Adding an item leaves the selection as it was;
// typing into the text field never adds items.
#pragma once

#include <string>

#include "platform/window/geometry.h"

class QComboBox;

namespace vorel::platform {

class Window;

class ComboBox {
 public:
  // dropDownHeight: the room the opened list may take, in pixels.
  ComboBox(Window& parent, Rect where, int dropDownHeight);

  int GetSelection() const;
  void SetSelection(int position);
  void Clear();
  void AddItem(const std::string& text, int itemData);
  int Count() const;
  std::string ItemText(int position) const;  // empty outside 0 .. Count()-1
  int ItemData(int position) const;          // 0 outside 0 .. Count()-1
  std::string GetText() const;               // the text field
  void SetText(const std::string& text);

  QComboBox* Widget() const { return box_; }

 private:
  QComboBox* box_;  // owned by the parent window
};

}  // namespace vorel::platform
