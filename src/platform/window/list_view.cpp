#include "platform/window/list_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeWidget>
#include <algorithm>

#include "platform/window/qt_bridge.h"
#include "platform/window/window.h"

namespace vorel::platform {
namespace {

// A single-selection tree clears its selection on a press beside the rows; the
// double-click event also fires there.
class ReportTree : public QTreeWidget {
 public:
  ReportTree(QWidget* parent, std::shared_ptr<std::function<void()>> onDoubleClick)
      : QTreeWidget(parent), onDoubleClick_(std::move(onDoubleClick)) {}

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && *onDoubleClick_) (*onDoubleClick_)();
  }

 private:
  std::shared_ptr<std::function<void()>> onDoubleClick_;
};

}  // namespace

ListView::ListView(Window& parent, Rect where)
    : onDoubleClick_(std::make_shared<std::function<void()>>()),
      tree_(MakeOwnedByParent<ReportTree>(parent.Widget(), onDoubleClick_)) {
  tree_->setGeometry(where.x, where.y, where.width, where.height);
  tree_->setColumnCount(0);
  tree_->setRootIsDecorated(false);
  tree_->setItemsExpandable(false);
  tree_->setUniformRowHeights(true);
  tree_->setAllColumnsShowFocus(true);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setSortingEnabled(false);
  tree_->setExpandsOnDoubleClick(false);
  QHeaderView* header = tree_->header();
  header->setMinimumSectionSize(0);
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int ListView::AddColumn(const std::string& header, int width) {
  const int column = tree_->columnCount();
  tree_->setColumnCount(column + 1);
  tree_->headerItem()->setText(column, ToQString(header));
  QHeaderView* view = tree_->header();
  if (width <= 0) {
    view->setSectionResizeMode(column, QHeaderView::Fixed);
    view->resizeSection(column, 0);
    view->setSectionHidden(column, true);
  } else {
    view->setSectionResizeMode(column, QHeaderView::Interactive);
    view->resizeSection(column, width);
  }
  return column;
}

int ListView::ColumnCount() const { return tree_->columnCount(); }

std::string ListView::ColumnHeader(int column) const {
  if (column < 0 || column >= tree_->columnCount()) return {};
  return FromQString(tree_->headerItem()->text(column));
}

int ListView::ColumnWidth(int column) const {
  if (column < 0 || column >= tree_->columnCount()) return 0;
  return tree_->header()->sectionSize(column);
}

bool ListView::IsColumnVisible(int column) const {
  if (column < 0 || column >= tree_->columnCount()) return false;
  return !tree_->header()->isSectionHidden(column) && tree_->header()->sectionSize(column) > 0;
}

void ListView::DeleteAllRows() { tree_->clear(); }

int ListView::AppendRow() {
  tree_->addTopLevelItem(MakeOwnedByParent<QTreeWidgetItem>());
  return tree_->topLevelItemCount() - 1;
}

int ListView::AppendRow(const std::vector<std::string>& cells) {
  QStringList texts;
  const auto count = std::min<std::size_t>(cells.size(), static_cast<std::size_t>(tree_->columnCount()));
  texts.reserve(static_cast<qsizetype>(count));
  for (std::size_t column = 0; column < count; ++column) texts.append(ToQString(cells[column]));
  tree_->addTopLevelItem(MakeOwnedByParent<QTreeWidgetItem>(texts));
  return tree_->topLevelItemCount() - 1;
}

int ListView::RowCount() const { return tree_->topLevelItemCount(); }

bool ListView::SetCellText(int row, int column, const std::string& text) {
  QTreeWidgetItem* item = tree_->topLevelItem(row);
  if (!item || column < 0 || column >= tree_->columnCount()) return false;
  item->setText(column, ToQString(text));
  return true;
}

std::string ListView::CellText(int row, int column) const {
  const QTreeWidgetItem* item = tree_->topLevelItem(row);
  if (!item || column < 0 || column >= tree_->columnCount()) return {};
  return FromQString(item->text(column));
}

int ListView::SelectedRow() const {
  int lowest = -1;
  for (QTreeWidgetItem* item : tree_->selectedItems()) {
    const int row = tree_->indexOfTopLevelItem(item);
    if (row >= 0 && (lowest < 0 || row < lowest)) lowest = row;
  }
  return lowest;
}

void ListView::SelectRow(int row) {
  QTreeWidgetItem* item = row >= 0 ? tree_->topLevelItem(row) : nullptr;
  if (!item) {
    tree_->clearSelection();
    return;
  }
  tree_->setCurrentItem(item);
}

void ListView::OnDoubleClick(std::function<void()> handler) { *onDoubleClick_ = std::move(handler); }

}  // namespace vorel::platform
