// A report-style list view: column headers, rows of text cells, single row selection.
// Rows and columns count from 0; cell texts are code page 936.
//
// A column of width 0 is hidden and cannot be resized by the user, yet its cells are set
// and read like those of the visible columns. A press on the empty area below the rows
// clears the selection; a double-click anywhere among the rows (also on the empty area)
// fires the double-click event.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/geometry.h"

class QTreeWidget;

namespace vorel::platform {

class Window;

class ListView {
 public:
  ListView(Window& parent, Rect where);

  // Adds a column at the right end; returns its index.
  int AddColumn(const std::string& header, int width);
  int ColumnCount() const;
  std::string ColumnHeader(int column) const;
  int ColumnWidth(int column) const;
  bool IsColumnVisible(int column) const;

  void DeleteAllRows();
  // Appends an empty row after the last one; returns its index.
  int AppendRow();
  // Appends a row holding `cells` in columns 0, 1, ... (cells beyond the last column are
  // dropped, missing ones stay empty); returns its index. One insertion for the whole row,
  // so long lists fill fast.
  int AppendRow(const std::vector<std::string>& cells);
  int RowCount() const;
  // False (nothing changes) when the row or column does not exist.
  bool SetCellText(int row, int column, const std::string& text);
  std::string CellText(int row, int column) const;  // empty when the cell does not exist

  int SelectedRow() const;  // -1 when no row is selected
  void SelectRow(int row);  // -1 (or any row that does not exist) clears the selection

  void OnDoubleClick(std::function<void()> handler);

  QTreeWidget* Widget() const { return tree_; }

 private:
  std::shared_ptr<std::function<void()>> onDoubleClick_;
  QTreeWidget* tree_;  // owned by the parent window
};

}  // namespace vorel::platform
