#include "view/ui/ArticleGrid.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <array>

#include "feeds/ArticleActions.h"
#include "feeds/ArticleStore.h"
#include "platform/ui/VerdanaFont.h"
#include "tests/support/FakePorts.h"
#include "tests/support/TempFolder.h"
#include "view/GridLayout.h"
#include "view/ui/ArticleGridActions.h"
#include "view/ui/ArticleRowText.h"

namespace quarlen {
namespace {

constexpr int CellStride = grid::RowHeight + 1;  // a row and its grid line
constexpr int TextLeft = grid::ThumbnailColumnWidth + 1;

const QColor Highlight(0xFA, 0xB2, 0x05);
const QColor Accent(0x00, 0x66, 0x99);
const QColor DateRed(0xCC, 0x00, 0x00);

struct Article {
  std::string url, subject, description, date, read;
};

// A store saved to disk with the given articles, so FillArticleGrid loads them.
struct GridFixture {
  test::TempFolder dir;
  ArticleStore store{dir.Slash(), [](const std::string&) {}, [] {}};
  ArticleGrid grid{store};

  void Save(const std::vector<Article>& articles, std::vector<std::string> latest = {}) {
    store.ClearLists();
    std::uint8_t shade = 10;
    for (const auto& a : articles) {
      store.url.push_back(a.url);
      store.ticker.push_back("t");
      store.subject.push_back(a.subject);
      store.description.push_back(a.description);
      store.date.push_back(a.date);
      store.read.push_back(a.read);
      store.jvilRefreshCharts.push_back(RgbImage(86, 60, shade, 200, 100));
      shade = static_cast<std::uint8_t>(shade + 60);
    }
    store.latest = latest;
    store.latest_subject.assign(latest.size(), "s");
    store.SaveLists();
  }

  QImage Paint() {
    grid.show();
    return grid.grdArticles()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
};

Article Plain(int i, const std::string& read = "read") {
  const std::string n = std::to_string(i);
  return {"http://news.test/" + n, "Subject " + n, "Description " + n + " words", "Desk - 0" + n, read};
}

QColor At(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

// Pixels in the rectangle whose colour is near c.
int CountNear(const QImage& img, QRect r, const QColor& c, int tolerance = 40) {
  r = r.intersected(img.rect());
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor p = img.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) + std::abs(p.blue() - c.blue()) <= tolerance)
        ++n;
    }
  return n;
}

// Pixels in the rectangle that are not the background colour.
int Ink(const QImage& img, const QRect& r, const QColor& background) {
  return r.intersected(img.rect()).width() * r.intersected(img.rect()).height() - CountNear(img, r, background, 0);
}

// The pixel of the rectangle that stands out most from the background: the
// full colour of the text drawn there, where the anti-aliased edges are blends.
QColor Strongest(const QImage& img, QRect r, const QColor& background) {
  r = r.intersected(img.rect());
  QColor best = background;
  int bestDistance = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor p = img.pixelColor(x, y);
      const int d = std::abs(p.red() - background.red()) + std::abs(p.green() - background.green()) +
                    std::abs(p.blue() - background.blue());
      if (d > bestDistance) {
        bestDistance = d;
        best = p;
      }
    }
  return best;
}

bool IsDark(const QColor& c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; }

QRect TextCell(int row) { return QRect(TextLeft, row * CellStride, grid::TextColumnWidth, grid::RowHeight); }

TEST(ArticleGrid, HeadersAndGridSitWhereTheWindowExpectsThem) {
  GridFixture f;
  EXPECT_EQ(f.grid.geometry(), QRect(3, 3, 376, 341));
  EXPECT_EQ(f.grid.sPanel1()->text(), "Chart");
  EXPECT_EQ(f.grid.sPanel2()->text(), "Subject");
  EXPECT_EQ(f.grid.mapToParent(f.grid.sPanel1()->geometry().topLeft()), QPoint(3, 3));
  EXPECT_EQ(f.grid.sPanel1()->size(), QSize(91, 25));
  EXPECT_EQ(f.grid.mapToParent(f.grid.sPanel2()->geometry().topLeft()), QPoint(94, 3));
  EXPECT_EQ(f.grid.sPanel2()->size(), QSize(283, 25));
  EXPECT_TRUE(f.grid.sPanel1()->font().bold());
  EXPECT_EQ(f.grid.mapToParent(f.grid.grdArticles()->geometry().topLeft()), QPoint(3, 28));
  EXPECT_EQ(f.grid.grdArticles()->size(), QSize(376, 316));
  EXPECT_EQ(f.grid.grdArticles()->columnCount(), 2);
}

TEST(ArticleGrid, EmptyStoreShowsNoMessagesOnHighlight) {
  GridFixture f;
  f.Save({});
  f.grid.FillArticleGrid();
  EXPECT_EQ(f.grid.grdArticles()->rowCount(), 1);
  const QImage img = f.Paint();
  // Both cells of the one row are highlight-coloured to their edges.
  for (QPoint p : {QPoint(0, 0), QPoint(87, 64), QPoint(40, 30), QPoint(TextLeft, 64), QPoint(TextLeft + 267, 64)})
    EXPECT_EQ(At(img, p.x(), p.y()), Highlight) << p.x() << "," << p.y();
  // The text is accent, in column 1 only, starting at the top and centred.
  EXPECT_EQ(CountNear(img, QRect(0, 0, 88, 65), Accent), 0);
  const QRect cell = TextCell(0);
  EXPECT_GT(CountNear(img, cell, Accent, 0), 50);
  EXPECT_GT(CountNear(img, QRect(cell.left(), 0, cell.width(), 12), Accent), 0);
  const int leftInk = CountNear(img, QRect(cell.left(), 0, 40, 65), Accent);
  const int rightInk = CountNear(img, QRect(cell.right() - 39, 0, 40, 65), Accent);
  EXPECT_LT(std::abs(leftInk - rightInk), std::max(leftInk, rightInk) / 2 + 20);
  // The next grid row does not exist: below the row only the white viewport.
  EXPECT_EQ(At(img, 40, CellStride + 10), QColor(Qt::white));
}

TEST(ArticleGrid, SelectedRowIsHighlightOtherRowsAreWhite) {
  GridFixture f;
  f.Save({Plain(0), Plain(1), Plain(2)});
  f.grid.FillArticleGrid();
  ASSERT_EQ(f.grid.grdArticles()->rowCount(), 3);
  f.grid.SetCurrentRow(1);
  const QImage img = f.Paint();
  for (int row = 0; row < 3; ++row) {
    const QColor fill = row == 1 ? Highlight : QColor(Qt::white);
    const int top = row * CellStride;
    // Right of the thumbnail, and the far right and bottom of the text cell.
    EXPECT_EQ(At(img, 87, top + 30), fill) << row;
    EXPECT_EQ(At(img, 87, top + 64), fill) << row;
    EXPECT_EQ(At(img, TextLeft + 267, top + 1), fill) << row;
    EXPECT_EQ(At(img, TextLeft + 267, top + 64), fill) << row;
    // The grid lines are not part of the cells.
    EXPECT_NE(At(img, 88, top + 30), fill) << row;
    EXPECT_NE(At(img, 40, top + 65), fill) << row;
  }
}

TEST(ArticleGrid, TextsUseTheirColoursAndTheDateLineIsRed) {
  GridFixture f;
  f.Save({{"u0", "Subject HHH", "Description HHH", "Desk HHH lll", "read"}, Plain(1)});
  f.grid.FillArticleGrid();
  f.grid.SetCurrentRow(1);
  const QImage img = f.Paint();
  const QRect cell = TextCell(0);
  const QRect subjectBand(cell.left(), 0, cell.width(), 20);
  const QRect dateBand(cell.left(), 25, cell.width(), 11);
  const QRect descriptionBand(cell.left(), 37, cell.width(), 28);
  EXPECT_EQ(Strongest(img, subjectBand, Qt::white), Accent);
  // The date line is #CC0000 on the row's white, nothing else; its edges are
  // smoothed (blends of the two), or 6 points would not be legible.
  EXPECT_EQ(Strongest(img, dateBand, Qt::white), DateRed);
  int blends = 0;
  for (int y = dateBand.top(); y <= dateBand.bottom(); ++y)
    for (int x = dateBand.left(); x <= dateBand.right(); ++x) {
      const QColor p = At(img, x, y);
      EXPECT_TRUE(p.green() == p.blue() && p.red() >= 0xCC && p.red() >= p.green()) << x << "," << y;
      blends += p != DateRed && p != QColor(Qt::white);
    }
  EXPECT_GT(blends, 20);
  // Not a latest article: the description is black.
  EXPECT_EQ(Strongest(img, descriptionBand, Qt::white), QColor(Qt::black));
  EXPECT_EQ(CountNear(img, descriptionBand, Accent, 40), 0);
}

TEST(ArticleGrid, LatestArticleDescriptionIsAccentIgnoringCase) {
  GridFixture f;
  Article latest = Plain(0);
  latest.url = "http://News.Test/Story";
  f.Save({latest, Plain(1), Plain(2)}, {"HTTP://NEWS.TEST/story"});
  f.grid.FillArticleGrid();
  f.grid.SetCurrentRow(2);
  const QImage img = f.Paint();
  const QRect row0(TextLeft, 37, grid::TextColumnWidth, 28);
  const QRect row1 = row0.translated(0, CellStride);
  EXPECT_EQ(Strongest(img, row0, Qt::white), Accent);
  EXPECT_EQ(CountNear(img, row0, Qt::black, 60), 0);
  EXPECT_EQ(Strongest(img, row1, Qt::white), QColor(Qt::black));
  // The subject is accent whether latest or not.
  EXPECT_EQ(Strongest(img, QRect(TextLeft, CellStride, 268, 20), Qt::white), Accent);
}

TEST(ArticleGrid, OnlyUnreadExactlyIsBold) {
  GridFixture f;
  Article a = Plain(0, "unread"), b = Plain(0, "Unread"), c = Plain(0, "read");
  b.url = "u1";
  c.url = "u2";
  f.Save({a, b, c, Plain(3)});
  f.grid.FillArticleGrid();
  f.grid.SetCurrentRow(3);
  const QImage img = f.Paint();
  const int bold = Ink(img, TextCell(0), Qt::white);
  const int wrongCase = Ink(img, TextCell(1), Qt::white);
  const int regular = Ink(img, TextCell(2), Qt::white);
  EXPECT_GT(bold, regular + regular / 10);
  EXPECT_EQ(wrongCase, regular);
}

TEST(ArticleGrid, AmpersandsFollowMnemonicRules) {
  GridFixture f;
  // "&&" shows one "&"; a single "&" shows none and underlines the next letter.
  f.Save({{"u0", "x&&y", "", "", "read"}, {"u1", "x&y", "", "", "read"}, {"u2", "xy", "", "", "read"}, Plain(3)});
  f.grid.FillArticleGrid();
  f.grid.SetCurrentRow(3);
  const QImage img = f.Paint();
  const QRect band(TextLeft, 0, grid::TextColumnWidth, 20);
  auto rightmostInk = [&](int row) {
    const QRect r = band.translated(0, row * CellStride);
    for (int x = r.right(); x >= r.left(); --x)
      if (Ink(img, QRect(x, r.top(), 1, r.height()), Qt::white) > 0) return x;
    return -1;
  };
  auto lowestInk = [&](int row) {
    const QRect r = band.translated(0, row * CellStride);
    for (int y = r.bottom(); y >= r.top(); --y)
      if (Ink(img, QRect(r.left(), y, r.width(), 1), Qt::white) > 0) return y - r.top();
    return -1;
  };
  const int plain = Ink(img, band.translated(0, 2 * CellStride), Qt::white);
  EXPECT_GT(plain, 0);
  // "x&y": as wide as "xy", with an underline below the baseline.
  EXPECT_EQ(rightmostInk(1), rightmostInk(2));
  EXPECT_GT(Ink(img, band.translated(0, CellStride), Qt::white), plain);
  EXPECT_GE(lowestInk(1), lowestInk(2));
  // "x&&y": one ampersand between the letters, no underline.
  EXPECT_GT(rightmostInk(0), rightmostInk(2));
  EXPECT_GT(Ink(img, band, Qt::white), Ink(img, band.translated(0, CellStride), Qt::white));
}

TEST(ArticleGrid, LongDateWrapsAndMovesTheDescriptionDown) {
  GridFixture f;
  Article shortDate = Plain(0);
  Article longDate = Plain(1);
  longDate.date = "A very long author name that cannot fit - Thursday, 01 March 2007 12:00:00";
  f.Save({shortDate, longDate, Plain(2)});
  f.grid.FillArticleGrid();
  f.grid.SetCurrentRow(2);
  const QImage img = f.Paint();
  auto firstDarkLine = [&](int row) {
    const int top = row * CellStride;
    for (int y = top + 25; y < top + grid::RowHeight; ++y)
      for (int x = TextLeft; x < TextLeft + grid::TextColumnWidth; ++x)
        if (IsDark(img.pixelColor(x, y))) return y - top;
    return -1;
  };
  auto lastRedLine = [&](int row) {
    const int top = row * CellStride;
    int last = -1;
    for (int y = top + 25; y < top + grid::RowHeight; ++y)
      if (CountNear(img, QRect(TextLeft, y, grid::TextColumnWidth, 1), DateRed, 60) > 0) last = y - top;
    return last;
  };
  const int one = firstDarkLine(0);
  const int two = firstDarkLine(1);
  ASSERT_GT(one, 25);
  // The description follows its date line, which is one line taller when wrapped.
  EXPECT_GT(one, lastRedLine(0));
  EXPECT_GT(two, lastRedLine(1));
  EXPECT_GT(lastRedLine(1) - lastRedLine(0), 5);
  EXPECT_EQ(two - one, lastRedLine(1) - lastRedLine(0));
}

TEST(ArticleGrid, ThumbnailIsPaintedUnscaledAtItsCorner) {
  GridFixture f;
  f.Save({Plain(0), Plain(1)});
  f.grid.FillArticleGrid();
  f.grid.SetCurrentRow(0);
  const QImage img = f.Paint();
  const int top = CellStride;  // row 1, shade 70
  EXPECT_EQ(At(img, 1, top + 2), QColor(70, 200, 100));
  EXPECT_EQ(At(img, 86, top + 61), QColor(70, 200, 100));
  EXPECT_EQ(At(img, 0, top + 2), QColor(Qt::white));
  EXPECT_EQ(At(img, 87, top + 61), QColor(Qt::white));
  EXPECT_EQ(At(img, 1, top + 1), QColor(Qt::white));
  EXPECT_EQ(At(img, 1, top + 62), QColor(Qt::white));
}

TEST(ArticleGrid, ShortListsMidRefreshPaintEmptyRows) {
  GridFixture f;
  f.Save({Plain(0), Plain(1), Plain(2)});
  f.grid.FillArticleGrid();
  f.grid.SetCurrentRow(0);
  // A refresh trimmed the working lists while the grid still has three rows.
  f.store.subject.resize(1);
  f.store.date.resize(1);
  f.store.description.resize(1);
  f.store.read_view.resize(2);
  f.store.jvilCharts.resize(1);
  const QImage img = f.Paint();
  EXPECT_EQ(Ink(img, QRect(0, 2 * CellStride, 88, 65), Qt::white), 0);
  EXPECT_EQ(Ink(img, TextCell(2), Qt::white), 0);
  EXPECT_GT(Ink(img, TextCell(0), Highlight), 0);
}

TEST(ArticleGrid, FillSetsRowsAndCellStringsAndKeepsTheCurrentRowInside) {
  GridFixture f;
  f.Save({Plain(0), Plain(1), Plain(2)});
  f.grid.FillArticleGrid();
  auto* g = f.grid.grdArticles();
  EXPECT_EQ(g->rowCount(), 3);
  EXPECT_EQ(f.grid.CurrentRow(), 0);
  EXPECT_EQ(g->item(1, 0)->text(), "Desk - 01");
  EXPECT_EQ(g->item(1, 1)->text(), "Subject 1\r\nDescription 1 words");
  f.grid.SetCurrentRow(2);
  f.Save({Plain(5)});
  f.grid.FillArticleGrid();
  EXPECT_EQ(g->rowCount(), 1);
  EXPECT_EQ(f.grid.CurrentRow(), 0);

  // The current row follows its article (the store's link rule) across a
  // rebuild; when the article is gone the row stays inside the grid.
  Article shouted = Plain(6);
  shouted.url = "HTTP://NEWS.TEST/6";
  const struct {
    int pick;
    std::vector<Article> next;
    int current;
  } rebuilds[] = {
      {0, {Plain(5), Plain(6)}, 0},
      {1, {Plain(7), Plain(8), Plain(5), Plain(6)}, 3},  // new articles on top
      {3, {Plain(9), shouted, Plain(7)}, 1},
      {2, {Plain(9), Plain(8), Plain(1), Plain(2)}, 2},  // gone: same row number
      {3, {Plain(9)}, 0},
  };
  for (const auto& r : rebuilds) {
    f.grid.SetCurrentRow(r.pick);
    f.Save(r.next);
    f.grid.FillArticleGrid();
    EXPECT_EQ(f.grid.CurrentRow(), r.current) << r.pick << " of " << r.next.size();
  }
}

TEST(ArticleGrid, DoubleClickReportsTheCurrentRow) {
  GridFixture f;
  f.Save({Plain(0), Plain(1), Plain(2)});
  f.grid.FillArticleGrid();
  f.grid.show();
  f.grid.SetCurrentRow(1);
  QSignalSpy spy(&f.grid, &ArticleGrid::rowDoubleClicked);
  // Below the last row: still the current row.
  QTest::mouseDClick(f.grid.grdArticles()->viewport(), Qt::LeftButton, {}, QPoint(100, 300));
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
  EXPECT_EQ(f.grid.RowAt(QPoint(10, 300)), -1);
  EXPECT_EQ(f.grid.RowAt(QPoint(10, CellStride + 3)), 1);
}

TEST(ArticleGrid, ContextMenuAndKeysActOnTheRightRow) {
  struct Browser : IUrlOpener {
    std::vector<std::string> opened;
    void OpenUrl(const std::string& url) override { opened.push_back(url); }
  } browser;
  GridFixture f;
  f.Save({Plain(0, "unread"), Plain(1, "unread"), Plain(2, "unread")});
  f.grid.FillArticleGrid();
  bool busy = false;
  ArticleActions actions(
      f.store, [&] { return busy; }, browser, ServerEndpoints("http://f"), [&] { f.grid.FillArticleGrid(); });
  int refreshes = 0;
  test::FakeCommandRunner run;
  ArticleGridActions commands(
      f.grid, actions, [&] { ++refreshes; }, run);
  QStringList captions;
  for (QAction* a : commands.popupContextPopup()->actions()) captions << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(captions.join('|'), "Check for &New Messages|-|Mark as &Read|Mark as &Unread|-|&Delete");
  commands.popupContextPopup()->actions().front()->trigger();
  EXPECT_EQ(refreshes, 1);

  // (y, top row, row count) -> row picked by a right click.
  for (auto [y, top, count, row] : std::vector<std::array<int, 4>>{{0, 0, 3, 0},
                                                                   {65, 0, 3, 0},
                                                                   {66, 0, 3, 1},
                                                                   {197, 0, 3, 2},
                                                                   {198, 0, 3, -1},
                                                                   {-30, 0, 3, 0},
                                                                   {70, 4, 9, 5},
                                                                   {-70, 0, 3, -1}})
    EXPECT_EQ(ContextMenuRow(y, top, count), row) << y << " " << top;
  f.grid.show();
  commands.popupContextPopupPopup(QPoint(10, 2 * CellStride + 5));
  EXPECT_EQ(f.grid.CurrentRow(), 2);
  commands.popupContextPopupPopup(QPoint(10, 3 * CellStride + 5));  // below the last row
  EXPECT_EQ(f.grid.CurrentRow(), 2);
  QWidget* table = f.grid.grdArticles();
  QTest::keyClick(table, Qt::Key_Return);
  EXPECT_EQ(browser.opened, std::vector<std::string>{"http://f/redirect/redirect.php?url=http://news.test/2"});
  EXPECT_EQ(f.store.read_view, (std::vector<std::string>{"unread", "unread", "read"}));
  busy = true;  // a refresh runs: the article still opens, nothing is marked
  commands.popupContextPopupPopup(QPoint(10, 5));
  commands.grdArticlesDblClick();
  EXPECT_EQ(browser.opened.size(), 2u);
  EXPECT_EQ(f.store.read_view, (std::vector<std::string>{"unread", "unread", "read"}));
  busy = false;

  // Scrolled to the end, the top row is cut: the pick is still the row under the pointer.
  f.Save({Plain(0), Plain(1), Plain(2), Plain(3), Plain(4), Plain(5), Plain(6), Plain(7), Plain(8)});
  f.grid.FillArticleGrid();
  QTest::keyClick(table, Qt::Key_End);
  QTest::keyClick(table, Qt::Key_Up);
  commands.popupContextPopupPopup(QPoint(10, f.grid.grdArticles()->rowViewportPosition(8) + 2));
  EXPECT_EQ(f.grid.CurrentRow(), 8);
}

TEST(ArticleGrid, ScreenReaderHearsColumnsCellsAndReadStates) {
  GridFixture f;
  f.Save({Plain(0, "unread"), Plain(1, "read"), {"http://news.test/2", "Q&&A", "x", "D", "unread"}});
  f.store.ticker = {"QQQQ", "", "t2"};
  f.store.SaveLists();
  f.grid.FillArticleGrid();
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(f.grid.grdArticles());
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->role(), QAccessible::Table);
  EXPECT_EQ(table->text(QAccessible::Name), "Articles");
  QAccessibleTableInterface* cells = table->tableInterface();
  ASSERT_NE(cells, nullptr);
  EXPECT_EQ(cells->columnDescription(0), "Chart");
  EXPECT_EQ(cells->columnDescription(1), "Subject");
  const auto cell = [&](int row, int col, QAccessible::Text what) {
    QAccessibleInterface* c = cells->cellAt(row, col);
    return c ? c->text(what) : QStringLiteral("<none>");
  };
  // row, chart name, subject name, subject description
  const std::vector<std::array<const char*, 4>> rows{
      {"0", "QQQQ chart", "Subject 0", "unread, Desk - 00, Description 0 words"},
      {"1", "No chart", "Subject 1", "read, Desk - 01, Description 1 words"},
      {"2", "t2 chart", "Q&A", "unread, D, x"},
  };
  for (const auto& [row, chart, subject, description] : rows) {
    const int r = std::stoi(row);
    EXPECT_EQ(cell(r, 0, QAccessible::Name), chart) << row;
    EXPECT_EQ(cell(r, 1, QAccessible::Name), subject) << row;
    EXPECT_EQ(cell(r, 1, QAccessible::Description), description) << row;
    EXPECT_EQ(cell(r, 0, QAccessible::Description), QString(description).section(',', 0, 0)) << row;
  }

  // Marking an article and its announcement run through the real
  // accessibility bus in tests/app/a11y_e2e.sh. An empty store: Qt hears of
  // the model's reset only from a reader's bus, so the cell cache is reset here.
  f.Save({});
  f.grid.FillArticleGrid();
  QAccessibleTableModelChangeEvent reset(f.grid.grdArticles(), QAccessibleTableModelChangeEvent::ModelReset);
  cells->modelChange(&reset);
  EXPECT_EQ(cell(0, 1, QAccessible::Name), "No messages");
}

TEST(ArticleGrid, TooltipShowsTheWholeArticleAsEscapedText) {
  GridFixture f;
  const std::string long_(400, 'w');
  f.Save({{"http://news.test/0", "A && B <b>", "Line one line " + long_, "Desk &Co", "read"}});
  f.grid.FillArticleGrid();
  const QString expected =
      "<p><b>A &amp; B &lt;b&gt;</b><br>Desk Co<br>Line one line " + QString::fromStdString(long_) + "</p>";
  EXPECT_EQ(f.grid.grdArticles()->item(0, 0)->toolTip().toStdString(), expected.toStdString());
  EXPECT_EQ(f.grid.grdArticles()->item(0, 1)->toolTip().toStdString(), expected.toStdString());
}

TEST(ArticleGrid, ALongDescriptionEndsInAnEllipsisOnItsLastWholeLine) {
  const QFont font = VerdanaFont(grid::DescriptionPoints, false);
  const QFontMetrics metrics(font);
  const int width = 200;
  QString many;
  for (int i = 0; i < 60; ++i) many += QStringLiteral("word%1 ").arg(i);
  // text, box height in lines, whole lines expected, ends in an ellipsis
  struct Row {
    QString text;
    int heightLines;
    int lines;
    bool ellipsis;
  };
  for (const Row& row : std::vector<Row>{{many, 3, 3, true},
                                         {many, 1, 1, true},
                                         {QStringLiteral("short && sweet"), 3, 1, false},
                                         {many, 0, 0, false}}) {
    const int height = row.heightLines == 0 ? 2 : metrics.height() + (row.heightLines - 1) * metrics.lineSpacing();
    const QStringList lines = ElidedGridLines(row.text, font, nullptr, width, height);
    ASSERT_EQ(lines.size(), row.lines) << row.heightLines;
    if (lines.isEmpty()) continue;
    EXPECT_EQ(lines.back().endsWith(QChar(0x2026)), row.ellipsis) << lines.back().toStdString();
    for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
    QString joined = lines.join(' ');
    joined.chop(row.ellipsis ? 1 : 0);
    EXPECT_TRUE(VisibleGridText(row.text).simplified().startsWith(joined.simplified())) << joined.toStdString();
  }
}

TEST(ArticleGrid, ThumbnailsAreBlendedWhereTheScreenScales) {
  GridFixture f;
  f.Save({Plain(0)});
  f.grid.FillArticleGrid();
  // Two columns of one thumbnail: red on the left half, blue on the right.
  RgbImage halves(86, 60, 255, 0, 0);
  for (int y = 0; y < 60; ++y)
    for (int x = 43; x < 86; ++x) {
      std::uint8_t* p = &halves.pixels[(static_cast<std::size_t>(y) * 86 + x) * 3];
      p[0] = 0;
      p[2] = 255;
    }
  f.store.jvilCharts = {halves};
  for (const double scale : {1.0, 1.5, 2.0}) {
    QImage img(QSize(grid::ThumbnailColumnWidth, grid::RowHeight) * scale, QImage::Format_RGB32);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::white);
    {
      QPainter painter(&img);
      f.grid.grdArticlesDrawCell(painter, 0, 0, QRect(0, 0, grid::ThumbnailColumnWidth, grid::RowHeight));
    }
    // Along the middle line: pixels that are neither pure red nor pure blue
    // lie on the boundary only when the image was scaled smoothly.
    const int y = static_cast<int>(30 * scale);
    int blended = 0;
    for (int x = static_cast<int>(10 * scale); x < static_cast<int>(80 * scale); ++x) {
      const QColor c = img.pixelColor(x, y);
      if (c != QColor(255, 0, 0) && c != QColor(0, 0, 255)) ++blended;
    }
    EXPECT_EQ(blended > 0, scale != 1.0) << scale;
  }
}

}  // namespace
}  // namespace quarlen
