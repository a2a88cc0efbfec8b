#include "view/ui/ArticleGridActions.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTableWidget>

#include "feeds/ArticleActions.h"
#include "view/GridLayout.h"
#include "view/ui/ArticleGrid.h"

namespace quarlen {

int ContextMenuRow(int y, int topRow, int rowCount) {
  // C++ division truncates toward zero, as the rule wants for a point just
  // above the grid.
  const int row = y / (grid::RowHeight + 1) + topRow;
  return row >= 0 && row < rowCount ? row : -1;
}

ArticleGridActions::ArticleGridActions(ArticleGrid& grid, ArticleActions& actions,
                                       std::function<void()> checkForNewMessages, ICommandRunner& run)
    : QObject(&grid),
      grid_(grid),
      run_(run),
      actions_(actions),
      checkForNewMessages_(std::move(checkForNewMessages)),
      popupContextPopup_(new QMenu(&grid)) {
  popupContextPopup_->setObjectName(QStringLiteral("popupContextPopup"));
  const auto add = [this](const char* name, const char* caption, void (ArticleGridActions::*handler)()) {
    QAction* action = popupContextPopup_->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, handler] { run_.Run([this, handler] { (this->*handler)(); }); });
  };
  // No entry is ever disabled: each handler drops what it cannot serve.
  // Each has its access key; the captions read as they always did.
  add("CheckforNewMessages3", "Check for &New Messages", &ArticleGridActions::CheckforNewMessages3Click);
  popupContextPopup_->addSeparator();
  add("MarkasRead1", "Mark as &Read", &ArticleGridActions::MarkasRead1Click);
  add("MarkasUnread1", "Mark as &Unread", &ArticleGridActions::MarkasUnread1Click);
  popupContextPopup_->addSeparator();
  add("Delete1", "&Delete", &ArticleGridActions::Delete1Click);

  connect(&grid, &ArticleGrid::rowDoubleClicked, this, [this] { run_.Run([this] { grdArticlesDblClick(); }); });
  connect(&grid, &ArticleGrid::contextMenuRequested, this, [this](const QPoint& pos, const QPoint& globalPos) {
    run_.Run([&] {
      popupContextPopupPopup(pos);
      popupContextPopup_->popup(globalPos);
    });
  });
  grid.grdArticles()->installEventFilter(this);
}

void ArticleGridActions::grdArticlesDblClick() {
  if (!actions_.HasArticles()) return;
  const int row = grid_.CurrentRow();
  actions_.OpenArticleLink(row);
  actions_.MarkArticleRead(row);
}

void ArticleGridActions::popupContextPopupPopup(const QPoint& clientPos) {
  const QTableWidget* table = grid_.grdArticles();
  const int topRow = std::max(0, table->rowAt(0));
  // Scrolled to the end, the view aligns the last row with its bottom and
  // cuts the top row; counting from that row's own top keeps the row picked
  // the one under the pointer.
  const int y = clientPos.y() - std::min(0, table->rowViewportPosition(topRow));
  const int row = ContextMenuRow(y, topRow, table->rowCount());
  if (row >= 0) grid_.SetCurrentRow(row);
}

void ArticleGridActions::CheckforNewMessages3Click() {
  if (checkForNewMessages_) checkForNewMessages_();
}

void ArticleGridActions::MarkasRead1Click() {
  if (grid_.CurrentRow() >= 0) actions_.MarkArticleRead(grid_.CurrentRow());
}

void ArticleGridActions::MarkasUnread1Click() {
  if (grid_.CurrentRow() >= 0) actions_.MarkArticleUnread(grid_.CurrentRow());
}

void ArticleGridActions::Delete1Click() {
  if (grid_.CurrentRow() >= 0 && actions_.HasArticles()) actions_.DeleteArticle(grid_.CurrentRow());
}

void ArticleGridActions::ShowMenuForCurrentRow() {
  // From the keyboard the menu belongs to the current row, wherever the
  // pointer is: it opens at that row's left edge.
  QTableWidget* table = grid_.grdArticles();
  const int row = std::max(0, grid_.CurrentRow());
  table->scrollTo(table->model()->index(row, 0));
  const QRect cell = table->visualRect(table->model()->index(row, 1));
  popupContextPopup_->popup(table->viewport()->mapToGlobal(QPoint(cell.left(), cell.center().y())));
}

bool ArticleGridActions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const std::function<void()> command = KeyCommand(*static_cast<QKeyEvent*>(event));
  if (!command) return QObject::eventFilter(watched, event);
  run_.Run(command);
  return true;
}

std::function<void()> ArticleGridActions::KeyCommand(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return [this] { grdArticlesDblClick(); };
    case Qt::Key_Delete:
      return [this] { Delete1Click(); };
    case Qt::Key_Menu:
      return [this] { ShowMenuForCurrentRow(); };
    case Qt::Key_F10:
      if (!(key.modifiers() & Qt::ShiftModifier)) break;
      return [this] { ShowMenuForCurrentRow(); };
    // A table's Home and End move along the row; in this list they go to
    // the first and the last article.
    case Qt::Key_Home:
      return [this] { grid_.SetCurrentRow(0); };
    case Qt::Key_End:
      return [this] { grid_.SetCurrentRow(grid_.grdArticles()->rowCount() - 1); };
    default:
      break;
  }
  return nullptr;
}

}  // namespace quarlen
