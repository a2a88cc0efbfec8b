#pragma once
// The article grid's commands: double click, the context menu
// `popupContextPopup` and the keyboard (Return or Enter opens, Delete deletes,
// the Menu key or Shift+F10 opens the menu for the current row, Home and End
// go to the first and last row; the arrows and page keys move as in any list).
#include <QObject>
#include <QPoint>
#include <functional>

#include "platform/UiPorts.h"

class QAction;
class QKeyEvent;
class QMenu;

namespace quarlen {

class ArticleActions;
class ArticleGrid;

// The row under a point whose y is in the grid's client coordinates: y over
// the 66 pixels of a row and its grid line, truncated toward zero, plus the
// top visible row; -1 when that is not a row of the grid.
int ContextMenuRow(int y, int topRow, int rowCount);

class ArticleGridActions : public QObject {
  Q_OBJECT

 public:
  // grid, actions and run are borrowed; checkForNewMessages runs the refresh
  // cycle. Every click, menu command and key runs its work through run.
  ArticleGridActions(ArticleGrid& grid, ArticleActions& actions, std::function<void()> checkForNewMessages,
                     ICommandRunner& run);

  QMenu* popupContextPopup() const { return popupContextPopup_; }

  // Opens the current row's article, then marks it read.
  void grdArticlesDblClick();
  // Right click: selects the row under clientPos (grid client coordinates)
  // when there is one, else keeps the current row.
  void popupContextPopupPopup(const QPoint& clientPos);
  void CheckforNewMessages3Click();
  void MarkasRead1Click();
  void MarkasUnread1Click();
  void Delete1Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowMenuForCurrentRow();
  // The grid's own work for a key; empty for keys the table handles itself.
  std::function<void()> KeyCommand(const QKeyEvent& key);

  ArticleGrid& grid_;
  ICommandRunner& run_;
  ArticleActions& actions_;
  std::function<void()> checkForNewMessages_;
  QMenu* popupContextPopup_;
};

}  // namespace quarlen
