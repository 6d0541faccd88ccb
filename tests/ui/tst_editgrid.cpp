#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "boxanswer.h"
#include "celldelegate.h"
#include "connection.h"
#include "dataset.h"
#include "dbeditgrid.h"
#include "ellipsiscelldelegate.h"
#include "functionwindow.h"
#include "testdb.h"
#include "widgettesthelp.h"

namespace {

// A window with the grid and one more field to move the focus to. Enter belongs
// to the grid, as in the windows that use it.
class GridWindow : public FunctionWindow {
public:
    GridWindow() : FunctionWindow(nullptr)
    {
        auto* layout = new QVBoxLayout(body());
        layout->addWidget(grid);
        layout->addWidget(outside);
        exemptFromEnterAsTab(grid);
        resize(500, 400);
    }
    DbEditGrid* grid = new DbEditGrid;
    QLineEdit* outside = new QLineEdit;
};

}  // namespace

class TestEditGrid : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Unit list: row mode, each row written when it is left.
    void enterPostsTheRow();
    void downOnTheLastRowAppendsAndAnUntouchedRowIsDropped();
    void newRowIsWrittenWhenTheCursorLeavesIt();
    void insertInsertsBeforeTheCurrentRow();
    void ctrlDeleteAsksFirst_data();
    void ctrlDeleteAsksFirst();
    void refusedKeyKeepsTheRowForCorrection();
    void escapeClosesTheCellThenCancelsTheRow();
    void textThatIsNotANumberIsRefused();
    void typingIntoAnEmptyGridStartsARow();
    void inputMethodTextAndColumnWidth();
    void actionKeyWritesTheOpenCell();
    void dateCellsOfTheRateTable();

    // Slip lines: cached, written together.
    void cachedLinesAreWrittenOnlyWhenApplied();
    void untouchedLineIsDroppedWhenTheFocusLeaves();
    void dropDownCellWritesTheCode();
    void ellipsisCellAsksTheWindow();

private:
    void openUnits(const QString& where = {});
    void openLines();
    void saveLines();
    QStringList units() const;
    QStringList lines() const;
    QModelIndex cell(int row, int column) const { return m_window->grid->datasetModel()->index(row, column); }

    TestDb* m_db = nullptr;
    Connection* m_c = nullptr;
    GridWindow* m_window = nullptr;
    Dataset* m_ds = nullptr;
    Dataset* m_categories = nullptr;
    QAbstractItemModelTester* m_tester = nullptr;
};

void TestEditGrid::init()
{
    m_db = new TestDb;
    m_c = new Connection(m_db->path());
    m_window = new GridWindow;
}

void TestEditGrid::cleanup()
{
    delete m_tester;
    m_tester = nullptr;
    delete m_window;
    delete m_ds;
    m_ds = nullptr;
    delete m_categories;
    m_categories = nullptr;
    delete m_c;
    delete m_db;
}

void TestEditGrid::openUnits(const QString& where)
{
    m_ds = new Dataset(*m_c, "SELECT * FROM m_単位 " + where + " ORDER BY 単位コード");
    m_ds->setWriteTarget("m_単位", {"単位コード"}, Dataset::WriteMode::Immediate);
    m_window->grid->setDataset(
        *m_ds, {
                   {"単位コード", "コード", 51, Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Integer},
                   {"単位", "単位", 95},
               });
    m_window->grid->setMaxLength("単位", 8);
    m_tester = new QAbstractItemModelTester(m_window->grid->datasetModel(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_ds->open();
    QVERIFY(showActive(m_window));
    m_window->grid->setFocus(Qt::TabFocusReason);
}

QStringList TestEditGrid::units() const
{
    return rowsOf(m_db->path(), "SELECT 単位コード, 単位 FROM m_単位 ORDER BY 単位コード");
}

void TestEditGrid::enterPostsTheRow()
{
    openUnits();
    QCOMPARE(m_window->grid->currentIndex(), cell(0, 0));
    pressKey(Qt::Key_Right);
    typeKeys("pcs");
    QVERIFY(m_window->grid->isCellEditing());
    QCOMPARE(m_ds->state(), Dataset::State::Browse);  // nothing written into the row yet
    pressKey(Qt::Key_Return);
    QVERIFY(!m_window->grid->isCellEditing());
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(units().value(0), QStringLiteral("1|pcs"));
    QCOMPARE(m_window->grid->currentIndex(), cell(0, 1));
    QVERIFY(m_window->grid->hasFocus());  // Enter stayed in the grid
}

void TestEditGrid::downOnTheLastRowAppendsAndAnUntouchedRowIsDropped()
{
    openUnits();
    const QStringList before = units();
    m_ds->last();
    QCOMPARE(m_window->grid->currentIndex().row(), 11);
    pressKey(Qt::Key_Down);
    QCOMPARE(m_ds->count(), 13);
    QCOMPARE(m_ds->state(), Dataset::State::Insert);
    QCOMPARE(m_window->grid->currentIndex().row(), 12);
    pressKey(Qt::Key_Down);  // one new row at a time
    QCOMPARE(m_ds->count(), 13);
    pressKey(Qt::Key_Up);
    QCOMPARE(m_ds->count(), 12);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(m_window->grid->currentIndex().row(), 11);

    // Leaving the grid drops it too; a cell opened and left unchanged does not count as typing.
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_F2);
    QVERIFY(m_window->grid->isCellEditing());
    QTest::mouseClick(m_window->outside, Qt::LeftButton);
    QVERIFY(m_window->outside->hasFocus());
    QCOMPARE(m_ds->count(), 12);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(units(), before);
}

void TestEditGrid::newRowIsWrittenWhenTheCursorLeavesIt()
{
    openUnits();
    m_ds->last();
    pressKey(Qt::Key_Down);
    typeKeys("13");
    pressKey(Qt::Key_Tab);  // writes the cell, opens the next one
    QVERIFY(m_window->grid->isCellEditing());
    QCOMPARE(m_window->grid->currentIndex(), cell(12, 1));
    typeKeys("dz");
    QCOMPARE(units().size(), 12);
    pressKey(Qt::Key_Up);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(m_window->grid->currentIndex().row(), 11);
    QCOMPARE(units().value(12), QStringLiteral("13|dz"));

    // A changed row is written when left by mouse too.
    pressKey(Qt::Key_Right);
    typeKeys("mm");
    pressKey(Qt::Key_Tab);  // past the last cell of a row: the next row's first cell
    QCOMPARE(units().value(11), QStringLiteral("12|mm"));
    QCOMPARE(m_window->grid->currentIndex(), cell(12, 0));
    pressKey(Qt::Key_Escape);
    pressKey(Qt::Key_Right);
    typeKeys("dozen");
    pressKey(Qt::Key_Return);
    QTest::mouseClick(m_window->grid->viewport(), Qt::LeftButton, {},
                      m_window->grid->visualRect(cell(0, 1)).center());
    QCOMPARE(m_ds->currentRow(), 0);
    QCOMPARE(units().value(12), QStringLiteral("13|dozen"));
}

void TestEditGrid::insertInsertsBeforeTheCurrentRow()
{
    openUnits();
    m_ds->moveTo(2);
    pressKey(Qt::Key_Insert);
    pressKey(Qt::Key_Insert);  // the new row at hand is the one to type into
    QCOMPARE(m_ds->count(), 13);
    QCOMPARE(m_ds->currentRow(), 2);
    QCOMPARE(m_window->grid->currentIndex().row(), 2);
    QCOMPARE(m_ds->state(), Dataset::State::Insert);
    QCOMPARE(m_ds->fieldAt(3, "単位コード").asInt(), 3);
    typeKeys("20");
    pressKey(Qt::Key_Tab);
    typeKeys("in");
    pressKey(Qt::Key_Return);
    QCOMPARE(m_ds->fieldAt(2, "単位").asText(), QStringLiteral("in"));
    QVERIFY(units().contains("20|in"));
    QCOMPARE(units().size(), 13);
}

void TestEditGrid::ctrlDeleteAsksFirst_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("yes") << QMessageBox::Yes << true;
    QTest::newRow("no") << QMessageBox::No << false;
    QTest::newRow("escape") << QMessageBox::NoButton << false;
}

void TestEditGrid::ctrlDeleteAsksFirst()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, deleted);
    openUnits();
    m_ds->moveTo(11);
    auto box = answerNextBox(answer == QMessageBox::NoButton ? QMessageBox::No : answer);
    if (answer == QMessageBox::NoButton) {
        // Escape gives the safe answer.
        box = std::make_shared<SeenBox>();
        QTimer::singleShot(0, [box] {
            if (auto* mb = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->seen = true;
                box->text = mb->text();
                QTest::keyClick(mb, Qt::Key_Escape);
            }
        });
    }
    pressKey(Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(box->seen);
    QCOMPARE(box->text, DbEditGrid::DeleteQuestion);
    if (answer != QMessageBox::NoButton) {
        QCOMPARE(box->icon, QMessageBox::Question);
        QCOMPARE(box->buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box->defaultButton, QMessageBox::No);
    }
    QCOMPARE(units().contains("12|m"), !deleted);
    QCOMPARE(m_ds->count(), deleted ? 11 : 12);
    QCOMPARE(m_window->grid->currentIndex().row(), m_ds->currentRow());
}

void TestEditGrid::refusedKeyKeepsTheRowForCorrection()
{
    openUnits();
    const QStringList before = units();
    m_ds->last();
    pressKey(Qt::Key_Down);
    typeKeys("1");
    pressKey(Qt::Key_Tab);
    typeKeys("dup");
    auto box = answerNextBox(QMessageBox::Ok);
    pressKey(Qt::Key_Return);
    QVERIFY(box->seen);
    QCOMPARE(box->icon, QMessageBox::Critical);
    QVERIFY(!box->text.isEmpty());
    QCOMPARE(m_ds->state(), Dataset::State::Insert);
    QCOMPARE(m_ds->field("単位").asText(), QStringLiteral("dup"));
    QCOMPARE(units(), before);

    // Leaving the row is refused the same way; the cursor stays on it.
    box = answerNextBox(QMessageBox::Ok);
    QVERIFY(showActive(m_window));
    m_window->grid->setFocus();
    pressKey(Qt::Key_Up);
    QVERIFY(box->seen);
    QCOMPARE(m_window->grid->currentIndex().row(), 12);
    QCOMPARE(m_ds->currentRow(), 12);

    // Corrected, it is written.
    QVERIFY(showActive(m_window));
    m_window->grid->setFocus();
    m_window->grid->setCurrentIndex(cell(12, 0));
    typeKeys("14");
    pressKey(Qt::Key_Return);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QVERIFY(units().contains("14|dup"));

    // A refused new row goes away with Escape.
    m_ds->last();
    pressKey(Qt::Key_Down);
    typeKeys("2");
    box = answerNextBox(QMessageBox::Ok);
    pressKey(Qt::Key_Return);
    QVERIFY(box->seen);
    QVERIFY(showActive(m_window));
    m_window->grid->setFocus();
    pressKey(Qt::Key_Escape);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(m_ds->count(), 13);
    QCOMPARE(units().size(), 13);
}

void TestEditGrid::escapeClosesTheCellThenCancelsTheRow()
{
    openUnits();
    typeKeys("77");
    pressKey(Qt::Key_Escape);  // the open cell only
    QVERIFY(!m_window->grid->isCellEditing());
    QCOMPARE(m_ds->field("単位コード").asInt(), 1);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);

    typeKeys("77");
    pressKey(Qt::Key_Tab);  // written into the row, which stays in editing
    QCOMPARE(m_ds->state(), Dataset::State::Edit);
    QCOMPARE(m_ds->field("単位コード").asInt(), 77);
    pressKey(Qt::Key_Escape);
    QCOMPARE(m_ds->state(), Dataset::State::Edit);
    pressKey(Qt::Key_Escape);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(m_ds->field("単位コード").asInt(), 1);
    QCOMPARE(units().value(0), QStringLiteral("1|個"));
}

void TestEditGrid::textThatIsNotANumberIsRefused()
{
    openUnits();
    typeKeys("abc");
    auto box = answerNextBox(QMessageBox::Ok);
    pressKey(Qt::Key_Return);
    QVERIFY(box->seen);
    QVERIFY2(box->text.contains("abc"), qPrintable(box->text));
    QCOMPARE(m_ds->field("単位コード").asInt(), 1);
    QCOMPARE(m_window->grid->datasetModel()->index(0, 0).data().toString(), QStringLiteral("1"));
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(units().value(0), QStringLiteral("1|個"));

    // Refused when a click on another row closes the cell: the cursor stays.
    QVERIFY(showActive(m_window));
    m_window->grid->setFocus();
    pressKey(Qt::Key_Right);
    typeKeys("ok");
    pressKey(Qt::Key_Backtab);  // the name is written into the row, which stays in editing
    QCOMPARE(m_window->grid->currentIndex(), cell(0, 0));
    typeKeys("x");
    box = answerNextBox(QMessageBox::Ok);
    QTest::mouseClick(m_window->grid->viewport(), Qt::LeftButton, {},
                      m_window->grid->visualRect(cell(3, 1)).center());
    QTRY_VERIFY(box->seen);
    QCOMPARE(m_ds->currentRow(), 0);
    QCOMPARE(m_ds->state(), Dataset::State::Edit);
    QCOMPARE(units().value(0), QStringLiteral("1|個"));
}

void TestEditGrid::typingIntoAnEmptyGridStartsARow()
{
    openUnits("WHERE 単位コード > 100");
    QCOMPARE(m_ds->count(), 0);
    typeKeys("50");
    QCOMPARE(m_ds->count(), 1);
    pressKey(Qt::Key_Tab);
    typeKeys("x");
    pressKey(Qt::Key_Return);
    QVERIFY(units().contains("50|x"));
}

void TestEditGrid::inputMethodTextAndColumnWidth()
{
    openUnits();
    pressKey(Qt::Key_Right);
    typeCommitted(m_window->grid, "ダース");
    QVERIFY(m_window->grid->isCellEditing());
    pressKey(Qt::Key_Return);
    QCOMPARE(units().value(0), QStringLiteral("1|ダース"));
    typeKeys("abcdefghijk");
    pressKey(Qt::Key_Return);
    QCOMPARE(units().value(0), QStringLiteral("1|abcdefgh"));
}

void TestEditGrid::actionKeyWritesTheOpenCell()
{
    openUnits();
    auto* post = new QAction(m_window);
    post->setShortcut(Qt::Key_F11);
    post->setShortcutContext(Qt::WindowShortcut);
    m_window->addAction(post);
    QString seen;
    connect(post, &QAction::triggered, this, [&] { seen = m_ds->field("単位").asText(); });
    pressKey(Qt::Key_Right);
    typeKeys("xx");
    pressKey(Qt::Key_F11);
    QCOMPARE(seen, QStringLiteral("xx"));
    QVERIFY(!m_window->grid->isCellEditing());
    QCOMPARE(m_ds->state(), Dataset::State::Edit);  // written into the row; posting is the action's business
}

void TestEditGrid::dateCellsOfTheRateTable()
{
    m_ds = new Dataset(*m_c, "SELECT * FROM m_税率 ORDER BY 適用年月日");
    m_ds->setWriteTarget("m_税率", {"適用年月日"}, Dataset::WriteMode::Immediate);
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    m_window->grid->setDataset(
        *m_ds, {
                   {"適用年月日", "適用年月日", 94, Qt::AlignLeft | Qt::AlignVCenter, DisplayFormat::Date},
                   {"消費税率", "消費税率", 95, right, DisplayFormat::Quantity},
               });
    m_tester = new QAbstractItemModelTester(m_window->grid->datasetModel(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_ds->open();
    QVERIFY(showActive(m_window));
    m_window->grid->setFocus(Qt::TabFocusReason);
    QCOMPARE(cell(0, 0).data().toString(), QStringLiteral("1989/04/01"));

    // Passing through the empty date of a new row leaves it untouched.
    m_ds->last();
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_F2);
    QVERIFY(m_window->grid->isCellEditing());
    pressKey(Qt::Key_Tab);
    QVERIFY(m_ds->field("適用年月日").isNull());
    QVERIFY(!m_ds->isModified());
    pressKey(Qt::Key_Escape);
    pressKey(Qt::Key_Up);
    QCOMPARE(m_ds->count(), 4);

    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Home);
    typeKeys("20250401");
    pressKey(Qt::Key_Tab);
    typeKeys("0.12");
    pressKey(Qt::Key_Return);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 適用年月日, 消費税率 FROM m_税率 ORDER BY 適用年月日").value(4),
             QStringLiteral("2025-04-01|1200"));
    QCOMPARE(cell(4, 0).data().toString(), QStringLiteral("2025/04/01"));
    QCOMPARE(cell(4, 1).data().toString(), QStringLiteral("0.12"));

    // A cell kind of the window's own stays on its column when the list is opened again.
    auto* own = new CellDelegate(m_window->grid);
    m_window->grid->setColumnDelegate("消費税率", own);
    auto* placed = new CellDelegate(m_window->grid);
    m_window->grid->setItemDelegateForColumn(0, placed);
    m_ds->close();
    m_ds->open();
    QCOMPARE(m_window->grid->itemDelegateForColumn(1), own);
    QCOMPARE(m_window->grid->itemDelegateForColumn(0), placed);
}

// -- slip lines -------------------------------------------------------------------------------

void TestEditGrid::openLines()
{
    m_db->exec(
        "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード) VALUES (1, '2024-05-01', '10');"
        "INSERT INTO m_商品分類 (商品分類コード, 分類名) VALUES ('0001', '食品'), ('0002', '雑貨');"
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 商品コード, 商品名, 商品分類コード, 単価, 数量) VALUES"
        " (1, 1, 'A1', 'りんご', '0001', 1000000, 10000), (1, 2, 'B1', 'はさみ', '0002', 5000000, 20000);");
    m_categories = new Dataset(
        *m_c,
        "SELECT *, 商品分類コード || ' ' || 分類名 AS 商品分類 FROM m_商品分類 ORDER BY 商品分類コード");
    m_ds = new Dataset(*m_c, "SELECT * FROM t_売上明細 WHERE 伝票番号 = :SlipNo ORDER BY 明細番号");
    m_ds->setParam("SlipNo", 1);
    m_ds->setWriteTarget("t_売上明細", {"伝票番号", "明細番号"}, Dataset::WriteMode::Cached);
    m_ds->addLookupField("商品分類", "商品分類コード", *m_categories, "商品分類コード", "商品分類");
    m_ds->events.afterInsert = [this] {
        m_ds->setValue("伝票番号", 1);
        m_ds->setValue("単価", QVariant::fromValue(Money()));
        m_ds->setValue("数量", QVariant::fromValue(Money::fromYen(1)));
    };
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    DbEditGrid* grid = m_window->grid;
    grid->setDataset(*m_ds, {
                                {"商品コード", "商品コード", 107},
                                {"商品名", "商品名", 172},
                                {"商品分類", "商品分類 *", 107},
                                {"単価", "単価", 55, right, DisplayFormat::Money},
                                {"数量", "数量", 44, right, DisplayFormat::Quantity},
                            });
    grid->setEllipsisColumn("商品コード");
    grid->setPickListColumn("商品分類", *m_categories, "商品分類コード", "分類名", "商品分類コード");
    m_tester = new QAbstractItemModelTester(grid->datasetModel(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_categories->open();
    m_ds->open();
    QVERIFY(showActive(m_window));
    grid->setFocus(Qt::TabFocusReason);
}

void TestEditGrid::saveLines()
{
    // As the slip window saves: renumber, then write every pending change at once.
    int number = 0;
    for (m_ds->first(); !m_ds->eof(); m_ds->next()) {
        m_ds->edit();
        m_ds->setValue("明細番号", ++number);
        m_ds->post();
    }
    m_ds->applyUpdates();
}

QStringList TestEditGrid::lines() const
{
    return rowsOf(
        m_db->path(),
        "SELECT 明細番号, 商品コード, 商品名, 商品分類コード, 単価, 数量 FROM t_売上明細 ORDER BY 明細番号");
}

void TestEditGrid::cachedLinesAreWrittenOnlyWhenApplied()
{
    openLines();
    const QStringList before = lines();
    m_ds->last();
    pressKey(Qt::Key_Down);
    QCOMPARE(m_ds->state(), Dataset::State::Insert);
    QVERIFY(!m_ds->isModified());  // the line's defaults are not typing
    pressKey(Qt::Key_Right);
    typeKeys("pen");
    pressKey(Qt::Key_Return);
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QVERIFY(m_ds->hasPendingUpdates());
    QCOMPARE(lines(), before);

    m_ds->first();
    pressKey(Qt::Key_Insert);
    typeKeys("cap");
    pressKey(Qt::Key_Return);
    QCOMPARE(m_ds->count(), 4);
    m_ds->moveTo(2);
    QCOMPARE(m_ds->field("商品名").asText(), QStringLiteral("はさみ"));
    auto box = answerNextBox(QMessageBox::Yes);
    pressKey(Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(box->seen);
    QCOMPARE(m_ds->count(), 3);
    QCOMPARE(lines(), before);

    saveLines();
    QCOMPARE(lines(),
             QStringList({"1|-|cap|-|0|10000", "2|A1|りんご|0001|1000000|10000", "3|-|pen|-|0|10000"}));
}

void TestEditGrid::untouchedLineIsDroppedWhenTheFocusLeaves()
{
    openLines();
    m_ds->last();
    pressKey(Qt::Key_Down);
    QCOMPARE(m_ds->count(), 3);
    pressKey(Qt::Key_Tab, Qt::ControlModifier);  // leaves the grid
    QVERIFY(m_window->outside->hasFocus());
    QCOMPARE(m_ds->count(), 2);
    QVERIFY(!m_ds->hasPendingUpdates());
}

void TestEditGrid::dropDownCellWritesTheCode()
{
    openLines();
    DbEditGrid* grid = m_window->grid;
    QCOMPARE(cell(0, 2).data().toString(), QStringLiteral("0001 食品"));
    grid->setCurrentIndex(cell(0, 2));
    pressKey(Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
    QVERIFY(combo);
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->currentText(), QStringLiteral("0001 食品"));
    typeKeys("0002");  // chooses by typing; written when confirmed
    QCOMPARE(combo->currentText(), QStringLiteral("0002 雑貨"));
    QCOMPARE(m_ds->field("商品分類コード").asText(), QStringLiteral("0001"));
    pressKey(Qt::Key_Return);
    QCOMPARE(m_ds->field("商品分類コード").asText(), QStringLiteral("0002"));
    QCOMPARE(m_ds->state(), Dataset::State::Browse);
    QCOMPARE(cell(0, 2).data().toString(), QStringLiteral("0002 雑貨"));

    // Alt+Down opens the list; a choice in it is written at once.
    pressKey(Qt::Key_Down, Qt::AltModifier);
    combo = nullptr;
    for (QWidget* w = QApplication::activePopupWidget(); w && !combo; w = w->parentWidget())
        combo = qobject_cast<QComboBox*>(w);
    QVERIFY(combo);
    QTest::keyClick(combo->view(), Qt::Key_Up);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(m_ds->field("商品分類コード").asText(), QStringLiteral("0001"));
    QCOMPARE(m_ds->state(), Dataset::State::Edit);
    QVERIFY(!grid->isCellEditing());
}

void TestEditGrid::ellipsisCellAsksTheWindow()
{
    openLines();
    DbEditGrid* grid = m_window->grid;
    QStringList asked;
    connect(grid, &DbEditGrid::ellipsisClicked, this, [&](const QString& column) {
        asked << column + ":" + m_ds->field("商品コード").asText();
        // The window sets what its lookup dialog returned.
        m_ds->edit();
        m_ds->setValue("商品コード", "Z9");
    });
    pressKey(Qt::Key_F4);
    QCOMPARE(asked, QStringList({"商品コード:A1"}));
    QCOMPARE(cell(0, 0).data().toString(), QStringLiteral("Z9"));

    // The button drawn in the current cell.
    const QRect button = EllipsisCellDelegate::buttonRect(grid->visualRect(cell(0, 0)));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, button.center());
    QCOMPARE(asked.size(), 2);
    QVERIFY(!grid->isCellEditing());

    // From an open cell: what was typed is written before the window is asked.
    typeKeys("X1");
    QVERIFY(grid->isCellEditing());
    pressKey(Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(asked.value(2), QStringLiteral("商品コード:X1"));
    QVERIFY(!grid->isCellEditing());
    QCOMPARE(cell(0, 0).data().toString(), QStringLiteral("Z9"));
}

QTEST_MAIN(TestEditGrid)
#include "tst_editgrid.moc"
