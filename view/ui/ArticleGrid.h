#pragma once
// The owner-drawn article grid `grdArticles` with its header panels "Chart"
// and "Subject". The widget covers the main window's client area from
// (3, 3) to the grid's bottom right, 376 x 341: the headers along its top,
// the grid 25 pixels below. Place it with setGeometry(3, 3, 376, 341).
// For screen readers the grid is a table with the columns "Chart" and
// "Subject": the chart cell is named after its ticker, the subject cell after
// the subject, and both describe the row's read state ("unread" or "read");
// the description changes, with its event, when the article is marked. Every
// row's tooltip shows the whole article.
#include <QLabel>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

namespace quarlen {

class ArticleStore;

class ArticleGrid : public QWidget {
  Q_OBJECT

 public:
  explicit ArticleGrid(ArticleStore& store, QWidget* parent = nullptr);

  // Reloads the store from its list files (LoadLists) and rebuilds the rows.
  // Store errors (an unreadable list file, a failed save) are passed on.
  void FillArticleGrid();

  // Paints one cell from the store's lists; selection comes from the current row.
  void grdArticlesDrawCell(QPainter& painter, int col, int row, const QRect& rect);

  QTableWidget* grdArticles() const { return grdArticles_; }
  QLabel* sPanel1() const { return sPanel1_; }
  QLabel* sPanel2() const { return sPanel2_; }

  // The grid's current row (-1 before there is one).
  int CurrentRow() const;
  // Makes row current (and selected) when it is a row of the grid.
  void SetCurrentRow(int row);
  // The row under a point of the grid's viewport, -1 below the last row.
  int RowAt(const QPoint& viewportPos) const;

 signals:
  void currentRowChanged(int row);
  // A double click anywhere in the grid; row is the current row.
  void rowDoubleClicked(int row);
  // A right click or the menu key; viewportPos in the grid's viewport.
  void contextMenuRequested(const QPoint& viewportPos, const QPoint& globalPos);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceGrid();
  void DrawFocusFrame(QPainter& painter, int col, int row, const QRect& rect);
  // Per row the link and the read state the accessible cells carry.
  QStringList ReadStates() const;
  void AnnounceReadStateChanges(const QStringList& before);

  ArticleStore& store_;
  QLabel* sPanel1_;
  QLabel* sPanel2_;
  QTableWidget* grdArticles_;
};

}  // namespace quarlen
