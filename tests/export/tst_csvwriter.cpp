#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "connection.h"
#include "csvwriter.h"
#include "dataset.h"
#include "datasetmodel.h"
#include "testdb.h"

class TestCsvWriter : public QObject {
    Q_OBJECT
private slots:
    void cellOfEachFormat_data();
    void cellOfEachFormat();
    void encodeField_data();
    void encodeField();
    void roundTripThroughACsvReader();
    void modelAsTheGridShowsIt();
    void proposedFileName_data();
    void proposedFileName();
    void saveWritesWholeOrNothing();
};

void TestCsvWriter::cellOfEachFormat_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    const auto f = [](DisplayFormat d) { return int(d); };
    // Amounts are stored as ten-thousandths.
    QTest::newRow("money whole") << QVariant(qint64(12340000)) << f(DisplayFormat::Money) << "1234" << true;
    QTest::newRow("money half away") << QVariant(qint64(12345000)) << f(DisplayFormat::Money) << "1235"
                                     << true;
    QTest::newRow("money negative") << QVariant(qint64(-12345000)) << f(DisplayFormat::Money) << "-1235"
                                    << true;
    QTest::newRow("money big") << QVariant(qint64(1234567890120000)) << f(DisplayFormat::Money)
                               << "123456789012" << true;
    QTest::newRow("balance half away from zero")
        << QVariant(qint64(12345000)) << f(DisplayFormat::Balance) << "1235" << true;
    QTest::newRow("balance negative half away from zero")
        << QVariant(qint64(-25000)) << f(DisplayFormat::Balance) << "-3" << true;
    QTest::newRow("price one decimal")
        << QVariant(qint64(12345000)) << f(DisplayFormat::Price) << "1234.5" << true;
    QTest::newRow("price rounds to cents")
        << QVariant(qint64(10050)) << f(DisplayFormat::Price) << "1.01" << true;
    QTest::newRow("price whole") << QVariant(qint64(20000)) << f(DisplayFormat::Price) << "2" << true;
    QTest::newRow("quantity no trailing zeros")
        << QVariant(qint64(15000)) << f(DisplayFormat::Quantity) << "1.5" << true;
    QTest::newRow("quantity negative")
        << QVariant(qint64(-30000)) << f(DisplayFormat::Quantity) << "-3" << true;
    QTest::newRow("quantity half away")
        << QVariant(qint64(-12350)) << f(DisplayFormat::Quantity) << "-1.24" << true;
    QTest::newRow("date") << QVariant("2024-03-01") << f(DisplayFormat::Date) << "2024/03/01" << false;
    QTest::newRow("date and time") << QVariant("2024-12-31 13:45:00") << f(DisplayFormat::Date)
                                   << "2024/12/31" << false;
    QTest::newRow("integer") << QVariant(qint64(-42)) << f(DisplayFormat::Integer) << "-42" << true;
    QTest::newRow("integer column with text")
        << QVariant("-A1") << f(DisplayFormat::Integer) << "-A1" << false;
    QTest::newRow("integer with a carriage return")
        << QVariant("12\r") << f(DisplayFormat::Integer) << "12\r" << false;
    QTest::newRow("integer behind a space") << QVariant(" 12") << f(DisplayFormat::Integer) << " 12" << false;
    QTest::newRow("integer with a plus") << QVariant("+12") << f(DisplayFormat::Integer) << "+12" << false;
    QTest::newRow("integer in full-width digits")
        << QVariant("１２") << f(DisplayFormat::Integer) << "１２" << false;
    QTest::newRow("integer stored as text")
        << QVariant("0042") << f(DisplayFormat::Integer) << "0042" << true;
    QTest::newRow("text") << QVariant("株式会社 山田") << f(DisplayFormat::Text) << "株式会社 山田" << false;
    QTest::newRow("text that looks numeric stays text")
        << QVariant("-5") << f(DisplayFormat::Text) << "-5" << false;
    QTest::newRow("null money") << QVariant() << f(DisplayFormat::Money) << "" << false;
}

void TestCsvWriter::cellOfEachFormat()
{
    QFETCH(QVariant, stored);
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(bool, number);
    const CsvCell cell = CsvWriter::cell(Field(stored), DisplayFormat(format));
    QCOMPARE(cell.text, text);
    QCOMPARE(cell.number, number);
}

void TestCsvWriter::encodeField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("plain") << "山田商店" << false << "山田商店";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("comma") << "a,b" << false << "\"a,b\"";
    QTest::newRow("quote") << "5\" 板" << false << "\"5\"\" 板\"";
    QTest::newRow("line feed") << "一行目\n二行目" << false << "\"一行目\n二行目\"";
    QTest::newRow("equals") << "=SUM(A1)" << false << "\"'=SUM(A1)\"";
    QTest::newRow("plus") << "+81 3" << false << "\"'+81 3\"";
    QTest::newRow("minus text") << "-5" << false << "\"'-5\"";
    QTest::newRow("at") << "@cmd" << false << "\"'@cmd\"";
    QTest::newRow("tab") << "\tx" << false << "\"'\tx\"";
    QTest::newRow("carriage return") << "\rx" << false << "\"'\rx\"";
    QTest::newRow("formula with quote") << "=\"a\"" << false << "\"'=\"\"a\"\"\"";
    QTest::newRow("equals inside") << "a=b" << false << "a=b";
    QTest::newRow("equals behind a space") << " =1+1" << false << "\"' =1+1\"";
    QTest::newRow("at behind spaces and a line feed") << "  \n@x" << false << "\"'  \n@x\"";
    QTest::newRow("minus behind an ideographic space") << "\u3000-1" << false << "\"'\u3000-1\"";
    QTest::newRow("full-width equals") << "＝1+1" << false << "\"'＝1+1\"";
    QTest::newRow("full-width plus") << "＋81" << false << "\"'＋81\"";
    QTest::newRow("full-width minus") << "－5" << false << "\"'－5\"";
    QTest::newRow("full-width at") << "＠x" << false << "\"'＠x\"";
    QTest::newRow("behind a zero-width space") << "\u200B=1" << false << "\"'\u200B=1\"";
    QTest::newRow("behind a byte-order mark")
        << QStringView(u"\uFEFF+1").toString() << false << QStringView(u"\"'\uFEFF+1\"").toString();
    QTest::newRow("behind a word joiner and a space") << "\u2060 @1" << false << "\"'\u2060 @1\"";
    QTest::newRow("spaces before text") << "  山田" << false << "  山田";
    QTest::newRow("full-width sign inside") << "a＝b" << false << "a＝b";
    QTest::newRow("negative number") << "-1234.5" << true << "-1234.5";
}

void TestCsvWriter::encodeField()
{
    QFETCH(QString, text);
    QFETCH(bool, number);
    QFETCH(QString, encoded);
    QCOMPARE(CsvWriter::encodeField({text, number}), encoded);
}

void TestCsvWriter::roundTripThroughACsvReader()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    const QList<QStringList> texts{
        {"コード", "得意先名", "備考"},
        {"C001", "株式会社\"山田\"商店", "東京都,千代田区"},
        {"C002", "=HYPERLINK(\"x\")", "一行目\r\n二行目"},
        {"C003", "@いちご", "-7"},
    };
    CsvWriter writer;
    for (const QStringList& row : texts)
        writer.addTextRow(row);
    writer.addRow({{"C004", false}, {"-1234.5", true}, {"", false}});
    const QByteArray bytes = writer.bytes();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    CsvWriter::save(path, bytes);
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"),
                          QStringLiteral("import csv, json, sys\n"
                                         "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                                         "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                          path});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitCode(), 0);
    const QJsonArray rows = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    QList<QStringList> read;
    for (const auto& row : rows)
        read << row.toVariant().toStringList();
    QList<QStringList> expected = texts;
    // Formula-like texts come back as text, behind the apostrophe.
    expected[2][1] = "'=HYPERLINK(\"x\")";
    expected[3][1] = "'@いちご";
    expected[3][2] = "'-7";
    expected << QStringList{"C004", "-1234.5", ""};
    QCOMPARE(read, expected);
}

void TestCsvWriter::modelAsTheGridShowsIt()
{
    TestDb db;
    db.exec(
        "INSERT INTO t_売上 (伝票番号, 売上年月日) VALUES (1, '2024-05-01');"
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 商品名, 単価, 数量) VALUES"
        " (1, 1, 'A,1', 12345000, 15000), (1, 2, 'B', 2000000, 10000), (1, 3, '=C', -5000, -20000);");
    Connection connection(db.path());
    Dataset ds(connection,
               "SELECT d.*, s.売上年月日 FROM t_売上明細 d JOIN t_売上 s USING (伝票番号) ORDER BY 明細番号");
    ds.open();
    DatasetModel model(ds, {
                               {"明細番号", "No", 30, Qt::AlignRight, DisplayFormat::Integer},
                               {"売上年月日", "日付", 60, Qt::AlignLeft, DisplayFormat::Date},
                               {"商品名", "", 100},
                               {"伝票番号", "伝票", 30, Qt::AlignRight, DisplayFormat::Integer, false},
                               {"単価", "単価", 70, Qt::AlignRight, DisplayFormat::Money},
                               {"数量", "数量", 60, Qt::AlignRight, DisplayFormat::Quantity},
                           });
    // The grid's order and filter: descending by number, line 2 filtered out.
    ds.sortBy({{"明細番号", true}});
    ds.setFilter([](const RowRef& row) { return row.field("商品名").asText() != "B"; });
    ds.setFiltered(true);
    QCOMPARE(CsvWriter::fromModel(model), QByteArray("\xEF\xBB\xBF"
                                                     "No,日付,商品名,単価,数量\r\n"
                                                     "3,2024/05/01,\"'=C\",-1,-2\r\n"
                                                     "1,2024/05/01,\"A,1\",1235,1.5\r\n"));
}

void TestCsvWriter::proposedFileName_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("name");
    QTest::newRow("ledger") << "得意先元帳" << QStringList{"C001"} << QDate(2024, 3, 1) << QDate(2024, 3, 31)
                            << "得意先元帳_C001_2024-03-01_2024-03-31.csv";
    QTest::newRow("no inputs") << "売掛金一覧" << QStringList{} << QDate(2024, 4, 1) << QDate(2024, 4, 30)
                               << "売掛金一覧_2024-04-01_2024-04-30.csv";
    QTest::newRow("no period") << "在庫一覧" << QStringList{" ", "A/B:1"} << QDate() << QDate()
                               << "在庫一覧_A_B_1.csv";
}

void TestCsvWriter::proposedFileName()
{
    QFETCH(QString, document);
    QFETCH(QStringList, inputs);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, name);
    QCOMPARE(CsvWriter::proposedFileName(document, inputs, from, to), name);
}

void TestCsvWriter::saveWritesWholeOrNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.csv"));
    CsvWriter::save(path, "old");
    CsvWriter::save(path, "new");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("new"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});

    const QString missing = dir.filePath(QStringLiteral("no such folder/b.csv"));
    try {
        CsvWriter::save(missing, "x");
        QFAIL("a file in a missing folder was reported written");
    } catch (const std::runtime_error& e) {
        QVERIFY(QString::fromStdString(e.what()).contains(missing));
    }
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
}

QTEST_GUILESS_MAIN(TestCsvWriter)
#include "tst_csvwriter.moc"
