#include "view/ui/ArticleGrid.h"

#include <QAccessible>
#include <QEvent>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <optional>

#include "feeds/ArticleStore.h"
#include "platform/SameLink.h"
#include "platform/ui/VerdanaFont.h"
#include "view/GridLayout.h"
#include "view/ui/ArticleRowText.h"

namespace quarlen {
namespace {

QColor Colour(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

QRect ToRect(const grid::Box& b) { return QRect(b.left, b.top, b.right - b.left, b.bottom - b.top); }
grid::Box ToBox(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QFont GridFont(int points, bool bold) { return VerdanaFont(points, bold); }

// Every text of the grid: wrapped at word boundaries, "&&" shown as "&" and a
// single "&" underlining the next character, opaque on the row's fill, and
// nothing outside its rectangle (the cell's clip cuts it at the row's bottom).
constexpr int TextFlags = Qt::TextWordWrap | Qt::TextShowMnemonic | Qt::AlignTop;

void DrawGridText(QPainter& painter, const QRect& box, const QString& text, int align) {
  painter.save();
  painter.setClipRect(box, Qt::IntersectClip);
  painter.drawText(box, TextFlags | align, text);
  painter.restore();
}

// A text that does not fit its box ends in an ellipsis on the last line that
// fits, instead of being cut through the middle of a line. Such a text is
// drawn without its access-key underline: the grid's texts are no controls.
void DrawGridTextElided(QPainter& painter, const QRect& box, const QString& text) {
  if (painter.boundingRect(box, TextFlags | Qt::AlignLeft, text).height() <= box.height()) {
    DrawGridText(painter, box, text, Qt::AlignLeft);
    return;
  }
  const QStringList lines = ElidedGridLines(text, painter.font(), painter.device(), box.width(), box.height());
  const QFontMetrics metrics(painter.font(), painter.device());
  painter.save();
  painter.setClipRect(box, Qt::IntersectClip);
  int top = box.top();
  for (const QString& line : lines) {
    painter.drawText(QRect(box.left(), top, box.width(), metrics.height()), Qt::AlignLeft | Qt::TextSingleLine, line);
    top += metrics.lineSpacing();
  }
  painter.restore();
}

// The grid's own cells are never drawn by the view: every pixel comes from
// grdArticlesDrawCell.
class CellPainter : public QStyledItemDelegate {
 public:
  CellPainter(ArticleGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    grid_.grdArticlesDrawCell(*painter, index.column(), index.row(), option.rect);
  }

 private:
  ArticleGrid& grid_;
};

QLabel* HeaderPanel(const QString& caption, QWidget* parent) {
  auto* panel = new QLabel(caption, parent);
  panel->setAlignment(Qt::AlignCenter);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setFont(GridFont(grid::HeaderPoints, true));
  QPalette palette = panel->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  panel->setPalette(palette);
  return panel;
}

}  // namespace

ArticleGrid::ArticleGrid(ArticleStore& store, QWidget* parent)
    : QWidget(parent),
      store_(store),
      sPanel1_(HeaderPanel(QStringLiteral("Chart"), this)),
      sPanel2_(HeaderPanel(QStringLiteral("Subject"), this)),
      grdArticles_(new QTableWidget(1, 2, this)) {
  sPanel1_->setObjectName(QStringLiteral("sPanel1"));
  sPanel2_->setObjectName(QStringLiteral("sPanel2"));
  grdArticles_->setObjectName(QStringLiteral("grdArticles"));
  sPanel1_->setGeometry(0, 0, grid::ChartHeaderWidth, grid::HeaderHeight);
  sPanel2_->setGeometry(grid::SubjectHeaderLeft - grid::Left, 0, grid::SubjectHeaderWidth, grid::HeaderHeight);

  auto* g = grdArticles_;
  g->horizontalHeader()->hide();
  g->verticalHeader()->hide();
  // Qt counts the grid line into a section; the cells themselves keep the
  // grid's measures.
  g->horizontalHeader()->setMinimumSectionSize(1);
  g->verticalHeader()->setMinimumSectionSize(1);
  g->setColumnWidth(0, grid::ThumbnailColumnWidth + 1);
  g->setColumnWidth(1, grid::TextColumnWidth + 1);
  g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  g->verticalHeader()->setDefaultSectionSize(grid::RowHeight + 1);
  g->setShowGrid(true);
  g->setGridStyle(Qt::SolidLine);
  g->setSelectionBehavior(QAbstractItemView::SelectRows);
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->setEditTriggers(QAbstractItemView::NoEditTriggers);
  g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  g->setWordWrap(true);
  g->setFont(GridFont(8, false));
  QPalette palette = g->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  g->setPalette(palette);
  g->setItemDelegate(new CellPainter(*this));
  g->setContextMenuPolicy(Qt::CustomContextMenu);
  // Tab leaves the grid for the next control; the arrows move inside it.
  g->setTabKeyNavigation(false);
  // A screen reader names the columns after the header panels and the grid
  // after what it lists.
  g->setHorizontalHeaderLabels({sPanel1_->text(), sPanel2_->text()});
  g->setAccessibleName(QStringLiteral("Articles"));
  g->viewport()->installEventFilter(this);
  g->installEventFilter(this);

  connect(g, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
    // The whole of both rows changes colour, not only the current cell.
    grdArticles_->viewport()->update();
    if (row != previous) emit currentRowChanged(row);
  });
  connect(g, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { emit contextMenuRequested(pos, grdArticles_->viewport()->mapToGlobal(pos)); });

  // Like any string grid, a fresh grid has its first row current.
  g->setCurrentCell(0, 0);
  setGeometry(grid::Left, grid::HeaderTop, grid::GridWidth, grid::GridTop - grid::HeaderTop + grid::GridHeight);
  PlaceGrid();
}

void ArticleGrid::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceGrid();
}

void ArticleGrid::PlaceGrid() {
  // Anchored on all sides: the grid takes whatever the widget grows to.
  const int top = grid::GridTop - grid::HeaderTop;
  grdArticles_->setGeometry(0, top, width(), std::max(0, height() - top));
}

bool ArticleGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdArticles_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    emit rowDoubleClicked(CurrentRow());
  }
  if (watched == grdArticles_) {
    // The focus frame is drawn around the whole current row.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) grdArticles_->viewport()->update();
    // Ctrl+Tab leaves the grid like Tab does, as it leaves any multi-line control.
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (key->modifiers() & Qt::ControlModifier)) {
        focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

int ArticleGrid::CurrentRow() const { return grdArticles_->currentRow(); }

void ArticleGrid::SetCurrentRow(int row) {
  if (row < 0 || row >= grdArticles_->rowCount()) return;
  grdArticles_->setCurrentCell(row, std::max(0, grdArticles_->currentColumn()));
}

int ArticleGrid::RowAt(const QPoint& viewportPos) const { return grdArticles_->rowAt(viewportPos.y()); }

void ArticleGrid::FillArticleGrid() {
  // The highlight marks an article, not a row number: a refresh that puts new
  // articles on top must not move it onto one the user never picked (Delete
  // acts on the current row).
  // Each row keeps the link it was filled with: the store's lists may have
  // changed since (the refresh merged into them before this rebuild).
  const int previous = CurrentRow();
  const QStringList readStates = ReadStates();
  std::optional<std::string> picked;
  if (const QTableWidgetItem* item = grdArticles_->item(previous, 0); item && item->data(Qt::UserRole).isValid()) {
    picked = item->data(Qt::UserRole).toString().toStdString();
  }
  store_.LoadLists();
  const int count = static_cast<int>(store_.url.size());
  // A grid keeps at least one row; an empty store paints "No messages" there.
  grdArticles_->setRowCount(std::max(1, count));
  grdArticles_->clearContents();  // an empty store's row names no article
  for (int i = 0; i < count; ++i) {
    const auto text = [&](const std::vector<std::string>& list) {
      const std::string* entry = grid::EntryAt(list, i);
      return entry ? QString::fromStdString(*entry) : QString();
    };
    const bool unread = grid::IsUnread(store_.read_view, i);
    const QString tip = ArticleToolTip(text(store_.subject), text(store_.date), text(store_.description));
    auto* chart = new QTableWidgetItem(text(store_.date));
    chart->setData(Qt::UserRole, text(store_.url_view));
    chart->setData(Qt::AccessibleTextRole, ChartCellName(text(store_.ticker)));
    chart->setData(Qt::AccessibleDescriptionRole, ReadStateText(unread));
    chart->setToolTip(tip);
    grdArticles_->setItem(i, 0, chart);
    auto* subject = new QTableWidgetItem(text(store_.subject) + QStringLiteral("\r\n") + text(store_.description));
    subject->setData(Qt::AccessibleTextRole, VisibleGridText(text(store_.subject)));
    subject->setData(Qt::AccessibleDescriptionRole,
                     SubjectCellDescription(unread, text(store_.date), text(store_.description)));
    subject->setToolTip(tip);
    grdArticles_->setItem(i, 1, subject);
  }
  if (count == 0) {
    auto* empty = new QTableWidgetItem;
    empty->setData(Qt::AccessibleTextRole, QString::fromLatin1(grid::NoMessagesText));
    grdArticles_->setItem(0, 1, empty);
  }
  AnnounceReadStateChanges(readStates);
  if (picked) {
    for (int i = 0; i < static_cast<int>(store_.url_view.size()); ++i) {
      if (SameLink(store_.url_view[static_cast<std::size_t>(i)], *picked)) {
        SetCurrentRow(i);
        grdArticles_->viewport()->update();
        return;
      }
    }
  }
  // The article is gone: a current row past the new end is brought back
  // inside, as a string grid does.
  const int last = grdArticles_->rowCount() - 1;
  SetCurrentRow(previous < 0 ? 0 : std::min(previous, last));
  grdArticles_->viewport()->update();
}

QStringList ArticleGrid::ReadStates() const {
  QStringList states;
  for (int i = 0; i < grdArticles_->rowCount(); ++i) {
    const QTableWidgetItem* item = grdArticles_->item(i, 0);
    states << (item ? item->data(Qt::UserRole).toString() + QLatin1Char('\n') +
                          item->data(Qt::AccessibleDescriptionRole).toString()
                    : QString());
  }
  return states;
}

void ArticleGrid::AnnounceReadStateChanges(const QStringList& before) {
  // Marking an article rebuilds the rows; a reader hears of the one whose
  // read state changed as a change of its cells' descriptions.
  if (!QAccessible::isActive()) return;
  const QStringList after = ReadStates();
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grdArticles_);
  QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
  if (cells == nullptr) return;
  for (int row = 0; row < std::min(before.size(), after.size()); ++row) {
    // Only the same article in the same row: a row that now shows another
    // article is no change of state.
    const bool sameArticle =
        before[row].section(QLatin1Char('\n'), 0, 0) == after[row].section(QLatin1Char('\n'), 0, 0);
    if (before[row] == after[row] || before[row].isEmpty() || !sameArticle) continue;
    for (int col = 0; col < 2; ++col) {
      if (QAccessibleInterface* cell = cells->cellAt(row, col)) {
        QAccessibleEvent changed(cell, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
      }
    }
  }
}

void ArticleGrid::grdArticlesDrawCell(QPainter& painter, int col, int row, const QRect& rect) {
  painter.save();
  painter.setClipRect(rect, Qt::IntersectClip);
  painter.setBackgroundMode(Qt::OpaqueMode);

  if (store_.url_view.empty()) {
    const QColor fill = Colour(grid::Highlight);
    painter.fillRect(rect, fill);
    painter.setBackground(fill);
    painter.setPen(Colour(grid::Accent));
    painter.setFont(GridFont(grid::NoMessagesPoints, true));
    if (col == 1) DrawGridText(painter, rect, QString::fromLatin1(grid::NoMessagesText), Qt::AlignHCenter);
    DrawFocusFrame(painter, col, row, rect);
    painter.restore();
    return;
  }

  const bool bold = grid::IsUnread(store_.read_view, row);
  bool latest = false;
  if (const std::string* url = grid::EntryAt(store_.url_view, row)) {
    for (const auto& entry : store_.latest)
      if (SameLink(*url, entry)) {
        latest = true;
        break;
      }
  }
  const QColor descriptionColour = Colour(latest ? grid::Accent : grid::Black);
  const QColor fill = Colour(row == CurrentRow() ? grid::Highlight : grid::White);
  painter.fillRect(rect, fill);
  painter.setBackground(fill);

  if (col == 1) {
    const grid::Box cell = ToBox(rect);
    if (const std::string* subject = grid::EntryAt(store_.subject, row)) {
      painter.setFont(GridFont(grid::SubjectPoints, bold));
      painter.setPen(Colour(grid::Accent));
      DrawGridText(painter, rect, QString::fromStdString(*subject), Qt::AlignLeft);
    }
    int dateHeight = 0;
    if (const std::string* date = grid::EntryAt(store_.date, row)) {
      const QRect dateBox = ToRect(grid::DateBox(cell));
      const QString text = QString::fromStdString(*date);
      painter.setFont(GridFont(grid::DatePoints, bold));
      painter.setPen(Colour(grid::DateRed));
      DrawGridText(painter, dateBox, text, Qt::AlignLeft);
      dateHeight = painter.boundingRect(dateBox, TextFlags | Qt::AlignLeft, text).height();
    }
    if (const std::string* description = grid::EntryAt(store_.description, row)) {
      painter.setFont(GridFont(grid::DescriptionPoints, bold));
      painter.setPen(descriptionColour);
      DrawGridTextElided(painter, ToRect(grid::DescriptionBox(cell, dateHeight)), QString::fromStdString(*description));
    }
  } else if (col == 0 && row >= 0 && static_cast<std::size_t>(row) < store_.jvilCharts.size()) {
    const RgbImage& chart = store_.jvilCharts[static_cast<std::size_t>(row)];
    if (!chart.empty() && chart.pixels.size() >= static_cast<std::size_t>(chart.width) * chart.height * 3) {
      // A view of the thumbnail's pixels for this one paint.
      const QImage bitmap(chart.pixels.data(), chart.width, chart.height, chart.width * 3, QImage::Format_RGB888);
      // Where the screen scales (1.5, 2), each thumbnail pixel is blended
      // into the bigger raster rather than repeated as a block.
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.drawImage(QPoint(rect.left() + grid::ThumbnailLeft, rect.top() + grid::ThumbnailTop), bitmap);
    }
  }
  DrawFocusFrame(painter, col, row, rect);
  painter.restore();
}

void ArticleGrid::DrawFocusFrame(QPainter& painter, int col, int row, const QRect& rect) {
  // The keyboard's place must show: a dotted frame around the current row,
  // black on the row's highlight, drawn only while the grid has the focus.
  if (row != CurrentRow() || !grdArticles_->hasFocus()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setPen(QPen(Colour(grid::Black), 1, Qt::DotLine));
  const QRect inner = rect.adjusted(0, 0, -1, -1);
  painter.drawLine(inner.topLeft(), inner.topRight());
  painter.drawLine(inner.bottomLeft(), inner.bottomRight());
  if (col == 0) painter.drawLine(inner.topLeft(), inner.bottomLeft());
  if (col == 1) painter.drawLine(inner.topRight(), inner.bottomRight());
  painter.restore();
}

}  // namespace quarlen
