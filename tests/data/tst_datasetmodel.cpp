#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>
#include <QTest>

#include "connection.h"
#include "dataset.h"
#include "datasetmodel.h"
#include "testdb.h"

class TestDatasetModel : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void followsEveryDatasetChange();
    void displayFormatsAndAlignment();
    void editsGoThroughTheDataset();
    void refusedEditKeepsOldValue_data();
    void refusedEditKeepsOldValue();
    void headerClickSortsHeldRows();
    void hiddenColumnsAndRowPainter();

private:
    QList<ColumnSpec> lineColumns() const;
    TestDb* m_db = nullptr;
    Connection* m_c = nullptr;
};

void TestDatasetModel::init()
{
    m_db = new TestDb;
    m_c = new Connection(m_db->path());
    m_db->exec(
        "INSERT INTO t_売上 (伝票番号, 売上年月日) VALUES (1, '2024-05-01 10:30:00');"
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 商品名, 単価, 数量) VALUES"
        " (1, 1, 'A', 12345000, 15000), (1, 2, 'B', 2000000, 10000), (1, 3, 'C', -5000, 10000);");
}

void TestDatasetModel::cleanup()
{
    delete m_c;
    delete m_db;
}

QList<ColumnSpec> TestDatasetModel::lineColumns() const
{
    return {
        {"明細番号", "No", 30, Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Integer, true, true},
        {"商品名", "商品名", 172},
        {"単価", "単価", 70, Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Money},
        {"数量", "数量", 60, Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Quantity},
    };
}

void TestDatasetModel::followsEveryDatasetChange()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細 ORDER BY 明細番号");
    ds.setWriteTarget("t_売上明細", {"伝票番号", "明細番号"}, Dataset::WriteMode::Cached);
    DatasetModel model(ds, lineColumns());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    ds.open();
    QCOMPARE(model.rowCount(), 3);
    ds.moveTo(1);
    ds.insert();
    QCOMPARE(model.rowCount(), 4);
    ds.setValue("商品名", "N");
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("N"));
    ds.cancel();
    QCOMPARE(model.rowCount(), 3);
    ds.last();
    ds.remove();
    ds.setFilter([](const RowRef& r) { return r.field("商品名").asText() == "A"; });
    ds.setFiltered(true);
    QCOMPARE(model.rowCount(), 1);
    ds.setFiltered(false);
    ds.cancelUpdates();
    QCOMPARE(model.rowCount(), 3);
    ds.sortBy({{"商品名", true}});
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("C"));
    ds.close();
    QCOMPARE(model.rowCount(), 0);
}

void TestDatasetModel::displayFormatsAndAlignment()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細 ORDER BY 明細番号");
    ds.open();
    DatasetModel model(ds, lineColumns());
    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("No"));
    QCOMPARE(model.columnSpec(1).width, 172);
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("¥1,235"));
    QCOMPARE(model.index(0, 3).data().toString(), QStringLiteral("1.50"));
    QCOMPARE(model.index(2, 2).data().toString(), QStringLiteral("-¥1"));
    QCOMPARE(model.index(0, 2).data(Qt::EditRole).toString(), QStringLiteral("1234.5"));
    QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);

    Dataset slips(*m_c, "SELECT * FROM t_売上");
    slips.open();
    DatasetModel dates(slips, {{"売上年月日", "日付", 80, Qt::AlignLeft, DisplayFormat::Date}});
    QCOMPARE(dates.index(0, 0).data().toString(), QStringLiteral("2024/05/01"));
}

void TestDatasetModel::editsGoThroughTheDataset()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細 ORDER BY 明細番号");
    ds.setWriteTarget("t_売上明細", {"伝票番号", "明細番号"}, Dataset::WriteMode::Cached);
    ds.open();
    QStringList changed;
    ds.events.fieldChanged = [&](const QString& f) { changed << f; };
    DatasetModel model(ds, lineColumns());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(model.setData(model.index(1, 2), "¥1,500"));
    QCOMPARE(ds.currentRow(), 1);
    QCOMPARE(ds.state(), Dataset::State::Edit);
    QCOMPARE(ds.field("単価").asMoney(), Money::fromYen(1500));
    QVERIFY(model.setData(model.index(1, 3), ""));  // an emptied number is null
    QVERIFY(ds.field("数量").isNull());
    QCOMPARE(changed, QStringList({"単価", "数量"}));
    // Editing another row posts the first one.
    QVERIFY(model.setData(model.index(2, 1), "C2"));
    QCOMPARE(ds.currentRow(), 2);
    QVERIFY(ds.hasPendingUpdates());
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("¥1,500"));
}

void TestDatasetModel::refusedEditKeepsOldValue_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters in a price") << 2 << "abc"
                                        << "数値ではありません";
    QTest::newRow("five decimals in a quantity") << 3 << "1.23456"
                                                 << "小数は4桁まで";
    QTest::newRow("too large") << 2 << "99999999999999999999"
                               << "大きすぎます";
}

void TestDatasetModel::refusedEditKeepsOldValue()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Dataset ds(*m_c, "SELECT * FROM t_売上明細 ORDER BY 明細番号");
    ds.open();
    DatasetModel model(ds, lineColumns());
    QSignalSpy rejected(&model, &DatasetModel::editRejected);
    const QString before = model.index(0, column).data().toString();
    QVERIFY(!model.setData(model.index(0, column), typed));
    QCOMPARE(rejected.count(), 1);
    QVERIFY2(model.lastError().contains(message), qPrintable(model.lastError()));
    QCOMPARE(model.index(0, column).data().toString(), before);
    QCOMPARE(ds.state(), Dataset::State::Browse);
}

void TestDatasetModel::headerClickSortsHeldRows()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細 ORDER BY 明細番号");
    ds.open();
    DatasetModel model(ds, lineColumns());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.sort(2, Qt::AscendingOrder);
    QCOMPARE(ds.fieldAt(0, "商品名").asText(), QStringLiteral("C"));
    QCOMPARE(ds.fieldAt(2, "商品名").asText(), QStringLiteral("A"));
    model.sort(1, Qt::DescendingOrder);
    QCOMPARE(ds.fieldAt(0, "商品名").asText(), QStringLiteral("C"));
    QCOMPARE(ds.fieldAt(1, "商品名").asText(), QStringLiteral("B"));
    model.setSortable(false);
    model.sort(1, Qt::AscendingOrder);
    QCOMPARE(ds.fieldAt(0, "商品名").asText(), QStringLiteral("C"));
}

void TestDatasetModel::hiddenColumnsAndRowPainter()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細 ORDER BY 明細番号");
    ds.open();
    DatasetModel model(ds, lineColumns());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setColumnVisible("単価", false);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.modelColumnOf("単価"), -1);
    QCOMPARE(model.modelColumnOf("数量"), 2);
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("1.50"));
    model.setColumnVisible("単価", true);
    QCOMPARE(model.modelColumnOf("単価"), 2);
    model.setRowPainter([](const RowRef& r, int) -> QVariant {
        return r.field("単価").asMoney().isNegative() ? QVariant(QColor(Qt::red)) : QVariant();
    });
    QCOMPARE(model.index(2, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
    QVERIFY(!model.index(0, 0).data(Qt::BackgroundRole).isValid());
}

QTEST_GUILESS_MAIN(TestDatasetModel)
#include "tst_datasetmodel.moc"
