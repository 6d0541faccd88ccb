#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>

#include "connection.h"
#include "dataset.h"
#include "dbgrid.h"
#include "frozencolumns.h"
#include "testdb.h"
#include "widgettesthelp.h"

// The read-only grid of the ledgers, lists and lookup dialogs.
class TestDbGrid : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void currentRowFollowsTheDatasetBothWays();
    void columnsTakeTheirDeclaredWidths();
    void headerClickSortsTheHeldRows();
    void headerClickSortsOnlyWhereAllowed();
    void titleClicksWithShiftOrCtrlAddKeys();
    void rowsPaintedByTheWindow();
    void cellsAndColumnsPaintedByTheWindow();
    void doubleClickAndEnterActivateARow();
    void selectionOfWholeRowsOrCells();
    void datasetGoingFirstLeavesAnEmptyGrid();
    void frozenColumnsStayWhileScrollingSideways();

private:
    QStringList codes() const;

    TestDb* m_db = nullptr;
    Connection* m_c = nullptr;
    Dataset* m_ds = nullptr;
    DbGrid* m_grid = nullptr;
    QAbstractItemModelTester* m_tester = nullptr;
};

void TestDbGrid::init()
{
    m_db = new TestDb;
    m_c = new Connection(m_db->path());
    m_ds = new Dataset(*m_c, "SELECT * FROM m_単位 ORDER BY 単位コード");
    m_grid = new DbGrid;
    m_grid->resize(300, 400);
    m_grid->setDataset(
        *m_ds, {
                   {"単位コード", "コード", 51, Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Integer},
                   {"単位", "単位", 95},
               });
    m_tester = new QAbstractItemModelTester(m_grid->datasetModel(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_ds->open();
}

void TestDbGrid::cleanup()
{
    delete m_tester;
    delete m_grid;
    delete m_ds;
    delete m_c;
    delete m_db;
}

QStringList TestDbGrid::codes() const
{
    QStringList result;
    for (int row = 0; row < m_ds->count(); ++row)
        result << m_ds->fieldAt(row, "単位コード").asText();
    return result;
}

void TestDbGrid::currentRowFollowsTheDatasetBothWays()
{
    QVERIFY(showActive(m_grid));
    QCOMPARE(m_grid->currentIndex().row(), 0);
    m_ds->moveTo(5);
    QCOMPARE(m_grid->currentIndex().row(), 5);
    QVERIFY(m_grid->selectionModel()->isRowSelected(5, {}));

    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                      m_grid->visualRect(m_grid->datasetModel()->index(8, 1)).center());
    QCOMPARE(m_ds->currentRow(), 8);
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(m_ds->currentRow(), 9);
    QTest::keyClick(m_grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_ds->currentRow(), 11);

    // Opened again, the grid starts at the first row.
    m_ds->close();
    QCOMPARE(m_grid->datasetModel()->rowCount(), 0);
    m_ds->open();
    QCOMPARE(m_grid->currentIndex().row(), 0);
}

void TestDbGrid::columnsTakeTheirDeclaredWidths()
{
    QHeaderView* header = m_grid->horizontalHeader();
    QCOMPARE(header->sectionSize(0), 51);
    QVERIFY(header->sectionSize(1) >= 95);  // the last column stretches
    QCOMPARE(m_grid->datasetModel()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("コード"));
    m_grid->setColumnVisible("コード", false);  // unknown field: nothing changes
    m_grid->setColumnVisible("単位コード", false);
    QCOMPARE(m_grid->datasetModel()->columnCount(), 1);
    QVERIFY(header->sectionSize(0) >= 95);
    m_grid->setColumnVisible("単位コード", true);
    QCOMPARE(header->sectionSize(0), 51);
    QVERIFY(header->sectionSize(1) >= 95);

    // A declared width too narrow for its title grows to fit it.
    Dataset lines(*m_c, "SELECT * FROM t_売上明細");
    DbGrid narrow;
    narrow.setDataset(lines, {{"税込合計", "税込合計の見出し", 20}});
    const int title = narrow.horizontalHeader()->fontMetrics().horizontalAdvance("税込合計の見出し");
    QVERIFY(narrow.horizontalHeader()->sectionSize(0) > title);

    // A formatted column holds the widest value of its kind; the last column
    // takes what the grid has left.
    DbGrid wide;
    wide.resize(700, 200);
    wide.setDataset(lines, {{"単価", "単価", 20, Qt::AlignRight, DisplayFormat::Money},
                            {"数量", "数量", 20, Qt::AlignRight, DisplayFormat::Quantity},
                            {"伝票番号", "日付", 20, Qt::AlignLeft, DisplayFormat::Date},
                            {"商品名", "商品名", 60}});
    for (int c = 0; c < 3; ++c) {
        const DisplayFormat format = wide.datasetModel()->columnSpec(c).format;
        QVERIFY(wide.horizontalHeader()->sectionSize(c) >
                wide.fontMetrics().horizontalAdvance(DbGrid::widestValue(format)));
    }
    wide.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wide));
    QCOMPARE(wide.horizontalHeader()->length(), wide.viewport()->width());

    // A text column widens to the longest text shown once the rows are there.
    const QString longName = QStringLiteral("特選国産りんご詰め合わせ");
    m_db->exec(
        "INSERT INTO t_売上 (伝票番号) VALUES (1);"
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 商品名) VALUES (1, 1, '" +
        longName + "');");
    Dataset named(*m_c, "SELECT * FROM t_売上明細");
    DbGrid names;
    names.setDataset(
        named, {{"商品名", "商品名", 40}, {"数量", "数量", 20, Qt::AlignRight, DisplayFormat::Quantity}});
    named.open();
    QVERIFY(names.horizontalHeader()->sectionSize(0) > names.fontMetrics().horizontalAdvance(longName));
}

void TestDbGrid::headerClickSortsTheHeldRows()
{
    m_grid->setSortable(true);
    QVERIFY(showActive(m_grid));
    QHeaderView* header = m_grid->horizontalHeader();
    QTRY_VERIFY(header->height() > 0);  // laid out
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    };
    m_ds->moveTo(3);  // 箱
    clickHeader(1);
    QStringList names;
    for (int row = 0; row < m_ds->count(); ++row)
        names << m_ds->fieldAt(row, "単位").asText();
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(names, sorted);
    // The cursor stays on its row.
    QCOMPARE(m_ds->field("単位").asText(), QStringLiteral("ケース"));
    QCOMPARE(m_grid->currentIndex().row(), m_ds->currentRow());

    clickHeader(0);
    QCOMPARE(codes().first(), QStringLiteral("1"));
    clickHeader(0);
    QCOMPARE(codes().first(), QStringLiteral("12"));
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // Opened again: the query's order, no indicator.
    m_ds->close();
    m_ds->open();
    QCOMPARE(codes().first(), QStringLiteral("1"));
    QCOMPARE(header->sortIndicatorSection(), -1);
}

void TestDbGrid::headerClickSortsOnlyWhereAllowed()
{
    QVERIFY(showActive(m_grid));
    QHeaderView* header = m_grid->horizontalHeader();
    QTRY_VERIFY(header->height() > 0);
    const QStringList before = codes();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    QCOMPARE(codes(), before);
}

void TestDbGrid::titleClicksWithShiftOrCtrlAddKeys()
{
    Dataset pairs(*m_c,
                  "SELECT column1 AS k, column2 AS n FROM (VALUES (1, 'b'), (2, 'a'), (1, 'a'), (2, 'b'))");
    DbGrid grid;
    grid.setDataset(pairs, {{"k", "k", 40}, {"n", "n", 40}});
    QAbstractItemModelTester tester(grid.datasetModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setSortable(true);
    pairs.open();
    QVERIFY(showActive(&grid));
    QHeaderView* header = grid.horizontalHeader();
    QTRY_VERIFY(header->height() > 0);
    const auto click = [&](int section, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers,
                          QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
        QStringList rows;
        for (int r = 0; r < pairs.count(); ++r)
            rows << pairs.fieldAt(r, "k").asText() + pairs.fieldAt(r, "n").asText();
        return rows.join(u' ');
    };
    QCOMPARE(click(0), QStringLiteral("1b 1a 2a 2b"));
    QCOMPARE(click(1, Qt::ShiftModifier), QStringLiteral("1a 1b 2a 2b"));
    QCOMPARE(click(1, Qt::ControlModifier), QStringLiteral("1b 1a 2b 2a"));  // the added key turns round
    QCOMPARE(header->sortIndicatorSection(), 1);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(click(1), QStringLiteral("1a 2a 1b 2b"));  // a plain click starts over
}

void TestDbGrid::rowsPaintedByTheWindow()
{
    m_grid->setRowPainter([](const RowRef& row, int) -> QVariant {
        return row.field("単位コード").asInt() % 2 == 0 ? QVariant(QColor(Qt::lightGray)) : QVariant();
    });
    const DatasetModel* model = m_grid->datasetModel();
    QCOMPARE(model->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::lightGray));
    QCOMPARE(model->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::lightGray));
    QVERIFY(!model->index(0, 0).data(Qt::BackgroundRole).isValid());
}

void TestDbGrid::cellsAndColumnsPaintedByTheWindow()
{
    const QColor grey = m_grid->palette().color(QPalette::Disabled, QPalette::Text);
    m_grid->setColumnTextColor("単位", grey);
    m_grid->setCellPainter([](const RowRef& row, int, const QString& field) -> QVariant {
        return field == "単位" && row.field("単位コード").asInt() == 3 ? QVariant(QColor(Qt::yellow))
                                                                       : QVariant();
    });
    QVERIFY(showActive(m_grid));
    const DatasetModel* model = m_grid->datasetModel();
    QStyleOptionViewItem option;
    m_grid->decorateCell(&option, model->index(0, 1));
    QCOMPARE(option.palette.color(QPalette::Text), grey);
    QStyleOptionViewItem other;
    const QColor normal = other.palette.color(QPalette::Text);
    m_grid->decorateCell(&other, model->index(0, 0));
    QCOMPARE(other.palette.color(QPalette::Text), normal);

    // On screen: the painted cell, not its neighbour, and not the selected row.
    const QImage shot = m_grid->viewport()->grab().toImage();
    const auto pixel = [&](int row, int column) {
        return shot.pixelColor(m_grid->visualRect(model->index(row, column)).topLeft() + QPoint(2, 2));
    };
    QCOMPARE(pixel(2, 1), QColor(Qt::yellow));
    QVERIFY(pixel(2, 0) != QColor(Qt::yellow));
    m_ds->moveTo(2);
    const QImage selected = m_grid->viewport()->grab().toImage();
    QVERIFY(selected.pixelColor(m_grid->visualRect(model->index(2, 1)).topLeft() + QPoint(2, 2)) !=
            QColor(Qt::yellow));
}

void TestDbGrid::doubleClickAndEnterActivateARow()
{
    QVERIFY(showActive(m_grid));
    QSignalSpy activated(m_grid, &DbGrid::rowActivated);
    const QRect row4 = m_grid->visualRect(m_grid->datasetModel()->index(4, 0));
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, row4.center());
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.at(0).at(0).toInt(), 4);
    QCOMPARE(m_ds->currentRow(), 4);
    QTest::keyClick(m_grid, Qt::Key_Return);
    QCOMPARE(activated.count(), 2);
    QCOMPARE(activated.at(1).at(0).toInt(), 4);

    // Below the last row, or with no rows, nothing is activated.
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, QPoint(5, m_grid->viewport()->height() - 3));
    m_ds->close();
    QTest::keyClick(m_grid, Qt::Key_Return);
    QCOMPARE(activated.count(), 2);
}

void TestDbGrid::selectionOfWholeRowsOrCells()
{
    QCOMPARE(m_grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(m_grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    m_grid->setWholeRowSelection(false);
    m_ds->moveTo(2);
    QCOMPARE(m_grid->selectionBehavior(), QAbstractItemView::SelectItems);
    QVERIFY(!m_grid->selectionModel()->isRowSelected(2, {}));
    QVERIFY(m_grid->selectionModel()->isSelected(m_grid->currentIndex()));
}

// A window's datasets, as members, go before its widgets.
void TestDbGrid::datasetGoingFirstLeavesAnEmptyGrid()
{
    QVERIFY(showActive(m_grid));
    delete m_tester;
    m_tester = nullptr;
    delete m_ds;
    m_ds = nullptr;
    QVERIFY(!m_grid->datasetModel());
    QVERIFY(!m_grid->dataset());
    m_grid->repaint();
    QTest::keyClick(m_grid, Qt::Key_Down);
}

void TestDbGrid::frozenColumnsStayWhileScrollingSideways()
{
    Dataset ds(*m_c, "SELECT 単位コード, 単位, 単位 AS c1, 単位 AS c2, 単位 AS c3, 単位 AS c4 FROM m_単位");
    DbGrid grid;
    grid.resize(260, 110);
    grid.setDataset(ds,
                    {{"単位コード", "コード", 51, Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Integer},
                     {"単位", "単位", 95},
                     {"c1", "c1", 120},
                     {"c2", "c2", 120},
                     {"c3", "c3", 120},
                     {"c4", "c4", 120}});
    grid.setSortable(true);
    grid.setWholeRowSelection(false);
    ds.open();
    FrozenColumns frozen(&grid, 2);
    QVERIFY(showActive(&grid));
    QTableView* view = frozen.view();
    QVERIFY(view->isVisible());
    QVERIFY(!view->isColumnHidden(0) && !view->isColumnHidden(1) && view->isColumnHidden(2));
    QCOMPARE(view->width(), grid.columnWidth(0) + grid.columnWidth(1));
    QCOMPARE(frozen.width(), view->width());

    // Sideways the frozen columns stay where they are; up and down they follow.
    const QPoint at = view->pos();
    QVERIFY(grid.horizontalScrollBar()->maximum() > 0);
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    QCOMPARE(view->pos(), at);
    QVERIFY(grid.verticalScrollBar()->maximum() > 0);
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    QCOMPARE(view->verticalScrollBar()->value(), grid.verticalScrollBar()->value());
    grid.verticalScrollBar()->setValue(0);

    // ← from a scrolled-in column brings each cell out from under the frozen ones.
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(0, 5));
    for (int column = 4; column >= 2; --column) {
        QTest::keyClick(&grid, Qt::Key_Left);
        QCOMPARE(grid.currentIndex().column(), column);
        QVERIFY(grid.columnViewportPosition(column) >= frozen.width());
    }

    // One selection: a cell chosen in the grid is the frozen view's too.
    grid.setCurrentIndex(grid.model()->index(2, 1));
    QCOMPARE(view->currentIndex(), grid.currentIndex());

    // A frozen title sorts the grid's rows, descending on the second click.
    QHeaderView* header = view->horizontalHeader();
    const QPoint title(header->sectionViewportPosition(0) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    QStringList sorted;
    for (int row = 0; row < ds.count(); ++row)
        sorted << ds.fieldAt(row, "単位コード").asText();
    QVERIFY(sorted.size() > 2);
    QVERIFY(sorted.first().toInt() > sorted.last().toInt());
    QTest::qWait(1);
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // A wider column in the grid is wider in the frozen view too.
    grid.setColumnWidth(0, grid.columnWidth(0) + 30);
    QCOMPARE(view->columnWidth(0), grid.columnWidth(0));
    QCOMPARE(view->width(), grid.columnWidth(0) + grid.columnWidth(1));
}

QTEST_MAIN(TestDbGrid)
#include "tst_dbgrid.moc"
