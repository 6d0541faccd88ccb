// corvinta-report: the command line writes the same CSV as the window's
// "CSV出力" and lays out the same pages as the window's "印刷" for the same
// inputs; every refusal has its message and exit status.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "accountsreceivablelistform.h"
#include "billissueform.h"
#include "book.h"
#include "books.h"
#include "connection.h"
#include "csvexportaction.h"
#include "datepicker.h"
#include "itemstocklistform.h"
#include "ledgercustomerform.h"
#include "ledgeritemform.h"
#include "report.h"
#include "reportcommand.h"
#include "salesdetaillistform.h"
#include "summaryform.h"
#include "testdb.h"

namespace {

const QDate kFrom(2024, 3, 1), kTo(2024, 3, 31);

// Two customers (one whose name reads as a formula), two items, sales on
// credit before and in March, a receipt in March; every customer closes at
// the month's end.
void writeBook(const QString& path)
{
    Connection c(path);
    Books b(c, kCustomerSide);
    b.partner("A1", "一,\"壱\"");
    b.partner("B2", "=SUM(A1)");
    c.exec("INSERT INTO m_商品 (商品コード, 商品名) VALUES ('I1', '品物'), ('I2', '@品物')");
    c.exec("UPDATE m_顧客 SET 締日 = 32");
    b.goods(1, QDate(2024, 2, 10), Books::Credit, "A1", yen(5000));
    b.goods(2, QDate(2024, 3, 5), Books::Credit, "A1",
            {GoodsLine{yen(1200), yen(120), Money::fromYen(3)},
             GoodsLine{yen(80), yen(8), Money::fromYen(2), "I2"}});
    b.goods(3, QDate(2024, 3, 9), Books::Cash, "B2", yen(700));
    b.goods(4, QDate(2024, 3, 20), Books::Credit, "B2",
            {GoodsLine{yen(250), yen(25), Money::fromYen(4), "I2"}});
    b.money(1, QDate(2024, 3, 25), "A1", {yen(3000)});
}

struct Run {
    int status;
    QString out, err;
};

Run run(const QStringList& args)
{
    Run r;
    QTextStream out(&r.out), err(&r.err);
    r.status = runReport(args, out, err);
    out.flush();
    err.flush();
    return r;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every page's texts in drawing order.
QList<QStringList> texts(const ReportDocument& document)
{
    QList<QStringList> pages;
    for (const ReportPage& page : document.pages) {
        QStringList t;
        for (const ReportOp& op : page.ops)
            if (op.kind == ReportOp::Kind::Text)
                t << op.text;
        pages << t;
    }
    return pages;
}

enum class Kind { Ledger, BalanceList, Bills, ItemLedger, StockList, DetailList, Summary };

// A window showing the document for the test's inputs, its "CSV出力" and its "印刷".
struct Shown {
    std::unique_ptr<QWidget> window;
    CsvExportAction* csv = nullptr;
    std::function<void()> print;
};

template <typename Form>
Form* make(Shown& s)
{
    auto* w = new Form(nullptr);
    s.window.reset(w);
    return w;
}

Shown show(Kind kind, ReportDocument& printed)
{
    Shown s;
    const auto keep = [&printed](QWidget*, const Report& report) {
        printed = report.paginate();
        return 0;
    };
    switch (kind) {
        case Kind::Ledger: {
            auto* w = make<TLedgerCustomerForm>(s);
            w->setReportPreview(keep);
            w->openOnPartner("A1", kFrom, kTo);
            s.print = [a = w->ActionPrint] { a->trigger(); };
            break;
        }
        case Kind::BalanceList: {
            auto* w = make<TAccountsReceivableListForm>(s);
            w->setReportPreview(keep);
            w->JvDatePickerEditFrom->setDate(kFrom);
            w->JvDatePickerEditTo->setDate(kTo);
            w->BuildList();
            s.print = [a = w->ActionPrint] { a->trigger(); };
            break;
        }
        case Kind::Bills: {
            auto* w = make<TBillIssueForm>(s);
            w->setReportPreview(keep);
            w->YearEdit->setText("2024");
            w->MonthComboBox->setCurrentIndex(2);
            w->JvComboBoxCutOff->setCurrentIndex(BillComputation::MonthEnd - 1);
            w->BuildList();
            s.print = [a = w->ActionPrint] { a->trigger(); };
            break;
        }
        case Kind::ItemLedger: {
            auto* w = make<TLedgerItemForm>(s);
            w->setReportPreview(keep);
            w->openOnItem("I2", kFrom, kTo);
            s.print = [a = w->ActionPrint] { a->trigger(); };
            break;
        }
        case Kind::StockList: {
            auto* w = make<TItemStockListForm>(s);
            w->setReportPreview(keep);
            w->JvDatePickerEditFrom->setDate(kFrom);
            w->JvDatePickerEditTo->setDate(kTo);
            w->BuildList();
            s.print = [a = w->ActionPrint] { a->trigger(); };
            break;
        }
        case Kind::DetailList: {
            auto* w = make<TSalesDetailListForm>(s);
            w->setReportPreview(keep);
            w->JvDatePickerEditFrom->setDate(kFrom);
            w->JvDatePickerEditTo->setDate(kTo);
            w->ButtonDispClick();
            w->PageControl->setCurrentIndex(1);  // 商品別
            s.csv = w->findChildren<CsvExportAction*>().at(1);
            s.print = [a = w->ActionPrintItem] { a->trigger(); };
            break;
        }
        case Kind::Summary: {
            auto* w = make<TMonthSalesSummaryForm>(s);
            w->setReportPreview(keep);
            w->YearEdit->setText("2024");
            w->MonthComboBox->setCurrentIndex(2);
            w->ButtonDispClick();
            w->PageControl->setCurrentIndex(1);  // 顧客別
            // The print is enabled at the next idle refresh; its handler runs directly.
            s.print = [w] { w->ActionPrintExecute(); };
            break;
        }
    }
    if (!s.csv)
        s.csv = s.window->findChild<CsvExportAction*>();
    return s;
}

// The kind of file at a path, links not followed; 0 when there is none.
mode_t kindOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Files and folders made read-only for the test. root writes whatever the
// mode says; what is marked immutable it cannot write either.
class ReadOnly {
public:
    ~ReadOnly()
    {
        for (auto it = m_marked.rbegin(); it != m_marked.rend(); ++it)
            std::system(("chattr -i '" + QFile::encodeName(*it) + "'").constData());
        for (const QString& path : m_chmodded)
            QFile::setPermissions(path,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // False when the user can still write it.
    bool make(const QString& path, QFileDevice::Permissions permissions)
    {
        QFile::setPermissions(path, permissions);
        m_chmodded << path;
        const QByteArray name = QFile::encodeName(path);
        if (::access(name.constData(), W_OK) != 0)
            return true;
        if (std::system(("chattr +i '" + name + "' 2>/dev/null").constData()) != 0)
            return false;
        m_marked << path;
        return true;
    }

private:
    QStringList m_chmodded, m_marked;
};

// Garbage over the pages of the sales slips and their lines: the book opens,
// its quick check fails.
void damage(const QString& path)
{
    qint64 pageSize = 0;
    QList<qint64> roots;
    {
        Connection c(path);
        pageSize = scalar(c, "PRAGMA page_size").toLongLong();
        Statement st(c, "SELECT rootpage FROM sqlite_schema WHERE name IN ('t_売上', 't_売上明細')");
        while (st.step())
            roots << st.value(0).toLongLong();
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    for (const qint64 root : roots) {
        f.seek((root - 1) * pageSize);
        f.write(QByteArray(pageSize, '\xab'));
    }
}

}  // namespace

class TestReportCommand : public QObject {
    Q_OBJECT

private slots:
    void sameAsTheWindow_data();
    void sameAsTheWindow();
    void refusals_data();
    void refusals();
    void outputThatIsTheBookIsRefused_data();
    void outputThatIsTheBookIsRefused();
    void csvToStandardOutput();
    void damagedBookIsRefused_data();
    void damagedBookIsRefused();
    void readOnlyBookIsRead_data();
    void readOnlyBookIsRead();
    void periodToTheLastDay_data();
    void periodToTheLastDay();
    void theProgram();
    void bookCheck();
};

void TestReportCommand::sameAsTheWindow_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("args");
    const QStringList period{"--from", "2024-03-01", "--to", "2024/03/31"};
    QTest::newRow("ledger") << int(Kind::Ledger) << QStringList{"customer-ledger", "--code", "A1"} + period;
    QTest::newRow("balance list") << int(Kind::BalanceList) << QStringList{"売掛残高一覧"} + period;
    QTest::newRow("bills") << int(Kind::Bills)
                           << QStringList{"bills", "--year", "2024", "--month", "3", "--closing-day", "月末"};
    QTest::newRow("item ledger") << int(Kind::ItemLedger) << QStringList{"item-ledger", "--code=I2"} + period;
    QTest::newRow("stock list") << int(Kind::StockList) << QStringList{"stock-list"} + period;
    QTest::newRow("detail list") << int(Kind::DetailList)
                                 << QStringList{"sales-detail", "--tab", "商品別"} + period;
    QTest::newRow("summary") << int(Kind::Summary)
                             << QStringList{"month-sales-summary", "--year", "2024", "--month", "03", "--tab",
                                            "by-customer"};
}

void TestReportCommand::sameAsTheWindow()
{
    QFETCH(int, kind);
    QFETCH(QStringList, args);
    TestDb db;
    writeBook(db.path());
    QTemporaryDir dir;

    ReportDocument printed;
    const Shown window = show(Kind(kind), printed);
    QVERIFY(window.csv && window.csv->isEnabled());
    const QString windowCsv = dir.filePath("window.csv");
    QString proposed;
    window.csv->setFileChooser([&](QWidget*, const QString& path) {
        proposed = QFileInfo(path).fileName();
        return windowCsv;
    });
    window.csv->exportNow();

    // The CSV: byte for byte; a folder takes the name the window proposes.
    const QStringList common = args + QStringList{"--database", db.path()};
    const Run csv = run(common + QStringList{"--csv", dir.path()});
    QVERIFY2(csv.status == 0, qPrintable(csv.err));
    QVERIFY(csv.err.isEmpty());
    QCOMPARE(contents(dir.filePath(proposed)), contents(windowCsv));
    QVERIFY(contents(windowCsv).count("\r\n") > 2);  // titles and rows

    // The PDF: the pages the window's print lays out.
    window.print();
    QVERIFY(!printed.pages.empty());
    ReportDocument made;
    ReportCommand::setPrintObserver([&made](const ReportDocument& d) { made = d; });
    const QString pdf = dir.filePath("out.pdf");
    const Run printRun = run(common + QStringList{"--pdf", pdf});
    ReportCommand::setPrintObserver({});
    QVERIFY2(printRun.status == 0, qPrintable(printRun.err));
    QCOMPARE(made.pages.size(), printed.pages.size());
    QCOMPARE(texts(made), texts(printed));
    QVERIFY(contents(pdf).startsWith("%PDF"));
    QCOMPARE(QDir(dir.path()).entryList({"out.pdf*"}, QDir::Files), QStringList{"out.pdf"});
}

void TestReportCommand::refusals_data()
{
    QTest::addColumn<QStringList>("args");  // {db} the book, {out} a file in a fresh folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("named");  // what the message names
    using S = ReportCommand::Status;
    const QStringList csv{"--csv", "{out}"};
    QTest::newRow("no document") << csv << int(S::Usage) << "帳票";
    QTest::newRow("unknown document") << QStringList{"ledger"} + csv << int(S::Usage) << "ledger";
    QTest::newRow("two documents") << QStringList{"bills", "stock-list"} + csv << int(S::Usage)
                                   << "stock-list";
    QTest::newRow("unknown option") << QStringList{"bills", "--colour", "red"} + csv << int(S::Usage)
                                    << "--colour";
    QTest::newRow("option of another document")
        << QStringList{"stock-list", "--code", "A1"} + csv << int(S::Usage) << "--code";
    QTest::newRow("missing value") << QStringList{"stock-list", "--from", "--csv", "{out}"} << int(S::Usage)
                                   << "--from";
    QTest::newRow("empty value") << QStringList{"stock-list", "--to="} + csv << int(S::Usage) << "--to";
    QTest::newRow("twice") << QStringList{"stock-list", "--to", "2024-01-01", "--to", "2024-01-02"} + csv
                           << int(S::Usage) << "--to";
    QTest::newRow("no output") << QStringList{"stock-list"} << int(S::Usage) << "--csv";
    QTest::newRow("both outputs") << QStringList{"stock-list", "--pdf", "{out}"} + csv << int(S::Usage)
                                  << "--pdf";
    QTest::newRow("ledger without code") << QStringList{"customer-ledger"} + csv << int(S::Usage) << "--code";
    QTest::newRow("bad date") << QStringList{"stock-list", "--from", "2024-02-30"} + csv << int(S::Input)
                              << "2024-02-30";
    QTest::newRow("not a date") << QStringList{"receivable-list", "--to", "31.3.2024"} + csv << int(S::Input)
                                << "31.3.2024";
    QTest::newRow("bad year") << QStringList{"bills", "--year", "20x4"} + csv << int(S::Input) << "20x4";
    QTest::newRow("month of a yearly summary")
        << QStringList{"year-sales-summary", "--month", "3"} + csv << int(S::Usage) << "--month";
    QTest::newRow("month 13") << QStringList{"bills", "--month", "13"} + csv << int(S::Input) << "13";
    QTest::newRow("bad closing day") << QStringList{"bills", "--closing-day", "32"} + csv << int(S::Input)
                                     << "32";
    QTest::newRow("unknown tab") << QStringList{"sales-detail", "--tab", "by-staff"} + csv << int(S::Input)
                                 << "by-staff";
    QTest::newRow("tab of a list without tabs")
        << QStringList{"buying-detail", "--tab", "伝票別"} + csv << int(S::Usage) << "--tab";
    QTest::newRow("unknown customer")
        << QStringList{"customer-ledger", "--code", "Z9"} + csv << int(S::Input) << "Z9";
    QTest::newRow("unknown item") << QStringList{"item-ledger", "--code", "A1"} + csv << int(S::Input)
                                  << "A1";
    QTest::newRow("nothing to print")
        << QStringList{"bills", "--year", "1999", "--pdf", "{out}"} << int(S::Input) << "印刷";
    QTest::newRow("no book") << QStringList{"stock-list", "--database", "{dir}/none.mdb"} + csv
                             << int(S::Database) << "none.mdb";
    QTest::newRow("not a book") << QStringList{"stock-list", "--database", "{dir}/text.mdb"} + csv
                                << int(S::Database) << "text.mdb";
    QTest::newRow("older book") << QStringList{"stock-list", "--database", "{dir}/old.mdb"} + csv
                                << int(S::Database) << "old.mdb";
    QTest::newRow("csv cannot be written")
        << QStringList{"stock-list", "--csv", "{dir}/gone/x.csv"} << int(S::Output) << "gone/x.csv";
    QTest::newRow("pdf cannot be written")
        << QStringList{"stock-list", "--pdf", "{dir}/gone/x.pdf"} << int(S::Output) << "gone/x.pdf";
}

void TestReportCommand::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, named);
    TestDb db;
    writeBook(db.path());
    QTemporaryDir dir;
    QFile text(dir.filePath("text.mdb"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("顧客コード,顧客名\n");
    text.close();
    QVERIFY(QFile::copy(db.path(), dir.filePath("old.mdb")));
    Connection(dir.filePath("old.mdb")).exec("PRAGMA user_version = 1");
    const QByteArray oldBook = contents(dir.filePath("old.mdb"));
    for (QString& a : args)
        a.replace("{out}", dir.filePath("out/x")).replace("{dir}", dir.path());
    QVERIFY(QDir(dir.path()).mkdir("out"));
    if (!args.contains("--database"))
        args << "--database" << db.path();

    const Run r = run(args);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.startsWith("corvinta-report: "), qPrintable(r.err));
    QVERIFY2(r.err.contains(named), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    // Nothing written, no book made or upgraded.
    QCOMPARE(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(!QFile::exists(dir.filePath("none.mdb")));
    QVERIFY(!QDir(dir.filePath("gone")).exists());
    QCOMPARE(contents(dir.filePath("old.mdb")), oldBook);
}

void TestReportCommand::outputThatIsTheBookIsRefused_data()
{
    // {book} the book, {folder} its folder, {other} a folder of the test's own
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("says");
    const QString book = "出力先が帳簿そのものです";
    QTest::newRow("the book") << "{book}" << book;
    QTest::newRow("./ the book") << "./BaseDB.mdb" << book;
    QTest::newRow("through its folder's parent") << "{folder}/../{name}/BaseDB.mdb" << book;
    QTest::newRow("a link to it") << "{other}/link.mdb" << book;
    QTest::newRow("a link to its folder") << "{other}/folder/BaseDB.mdb" << book;
    QTest::newRow("a hard link") << "{other}/hard.mdb" << book;
    QTest::newRow("-wal") << "{book}-wal" << book;
    QTest::newRow("-shm") << "{book}-shm" << book;
    QTest::newRow("-journal, not there yet") << "{book}-journal" << book;
    QTest::newRow("a link to -journal") << "{other}/journal.csv" << book;
    QTest::newRow("a daily backup") << "{daily}" << book;
    QTest::newRow("a daily backup not made yet") << "{folder}/backup/BaseDB.mdb.20991231.bak" << book;
    QTest::newRow("the copy before an upgrade") << "{book}.v1.bak" << book;
    QTest::newRow("the copy kept at a restore") << "{book}.before-restore-20240301-120000.bak" << book;
    QTest::newRow("a pipe") << "{other}/fifo"
                            << "{other}/fifoは通常のファイルではありません";
    QTest::newRow("a device") << "{other}/full"
                              << "{other}/fullは通常のファイルではありません";
}

void TestReportCommand::outputThatIsTheBookIsRefused()
{
    QFETCH(QString, target);
    QFETCH(QString, says);
    TestDb db;
    writeBook(db.path());
    QTemporaryDir other;
    const QString folder = QFileInfo(db.path()).absolutePath();
    // A connection holds the book: its -wal and -shm are there.
    Connection holder(db.path());
    scalar(holder, "SELECT count(*) FROM m_顧客");
    const QString daily = Book::makeDailyBackup(db.path(), QDate::currentDate());
    QVERIFY(QFile::copy(db.path(), db.path() + ".v1.bak"));
    QVERIFY(QFile::copy(db.path(), db.path() + ".before-restore-20240301-120000.bak"));
    QVERIFY(QFile::link(db.path(), other.filePath("link.mdb")));
    QVERIFY(QFile::link(folder, other.filePath("folder")));
    QVERIFY(QFile::link(db.path() + "-journal", other.filePath("journal.csv")));
    QCOMPARE(::link(QFile::encodeName(db.path()).constData(), QFile::encodeName(other.filePath("hard.mdb"))),
             0);
    QCOMPARE(::mkfifo(QFile::encodeName(other.filePath("fifo")).constData(), 0644), 0);
    if (target.endsWith("/full") &&
        ::mknod(QFile::encodeName(other.filePath("full")).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        QSKIP("no device node can be made here");
    for (QString* text : {&target, &says})
        text->replace("{book}", db.path())
            .replace("{folder}", folder)
            .replace("{name}", QFileInfo(folder).fileName())
            .replace("{other}", other.path())
            .replace("{daily}", daily);
    QVERIFY(QFileInfo::exists(db.path() + "-wal") && QFileInfo::exists(db.path() + "-shm"));
    QVERIFY(!daily.isEmpty());

    const auto back = qScopeGuard([before = QDir::currentPath()] { QDir::setCurrent(before); });
    QDir::setCurrent(folder);
    const QByteArray book = contents(db.path());
    const mode_t kind = kindOf(target);
    const QByteArray held = kind == S_IFREG ? contents(target) : QByteArray();
    for (const char* format : {"--csv", "--pdf"}) {
        const Run r = run({"stock-list", "--from", "2024-03-01", "--to", "2024-03-31", "--database",
                           db.path(), QLatin1String(format), target});
        QCOMPARE(r.status, int(ReportCommand::Output));
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
        QCOMPARE(contents(db.path()), book);
        QCOMPARE(kindOf(target), kind);
        if (kind == S_IFREG)
            QCOMPARE(contents(target), held);
    }
    QVERIFY(!QFileInfo::exists(db.path() + "-journal"));
}

void TestReportCommand::csvToStandardOutput()
{
    TestDb db;
    writeBook(db.path());
    QTemporaryDir dir;
    const auto back = qScopeGuard([before = QDir::currentPath()] { QDir::setCurrent(before); });
    QDir::setCurrent(dir.path());
    const QStringList args{"stock-list", "--from",     "2024-03-01", "--to",
                           "2024-03-31", "--database", db.path()};
    const Run file = run(args + QStringList{"--csv", "list.csv"});
    const Run piped = run(args + QStringList{"--csv", "-"});
    QCOMPARE(file.status, 0);
    QCOMPARE(piped.status, 0);
    QVERIFY(contents(dir.filePath("list.csv")).count("\r\n") > 2);
    QCOMPARE(piped.out.toUtf8(), contents(dir.filePath("list.csv")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.csv"});
}

void TestReportCommand::damagedBookIsRefused_data()
{
    QTest::addColumn<QStringList>("args");
    const QStringList period{"--from", "2024-03-01", "--to", "2024-03-31"};
    QTest::newRow("stock list") << QStringList{"stock-list"} + period;
    QTest::newRow("ledger") << QStringList{"customer-ledger", "--code", "A1"} + period;
    QTest::newRow("purchase detail list") << QStringList{"buying-detail"} + period;
}

void TestReportCommand::damagedBookIsRefused()
{
    QFETCH(QStringList, args);
    TestDb db;
    writeBook(db.path());
    damage(db.path());
    QCOMPARE(int(Book::inspect(db.path(), Book::Depth::Full).kind), int(Book::State::Damaged));
    QTemporaryDir dir;
    const QByteArray book = contents(db.path());
    const Run r = run(args + QStringList{"--database", db.path(), "--csv", dir.filePath("x.csv")});
    QCOMPARE(r.status, int(ReportCommand::Database));
    QVERIFY2(r.err.contains("壊れています") && r.err.contains(db.path()), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(dir.filePath("x.csv")));
    QCOMPARE(contents(db.path()), book);
}

void TestReportCommand::readOnlyBookIsRead_data()
{
    QTest::addColumn<bool>("folderToo");
    QTest::addColumn<bool>("wal");  // the book as the program leaves it; else a rollback journal
    QTest::addColumn<int>("status");
    QTest::newRow("read-only book") << false << true << 0;
    QTest::newRow("read-only book in a read-only folder") << true << false << 0;
    // Its -shm cannot be made: the engine cannot read it.
    QTest::newRow("WAL book in a read-only folder") << true << true << int(ReportCommand::Database);
}

void TestReportCommand::readOnlyBookIsRead()
{
    QFETCH(bool, folderToo);
    QFETCH(bool, wal);
    QFETCH(int, status);
    TestDb db;
    writeBook(db.path());
    QTemporaryDir dir;
    const QStringList args{"stock-list", "--from",     "2024-03-01", "--to",
                           "2024-03-31", "--database", db.path(),    "--csv"};
    QCOMPARE(run(args + QStringList{dir.filePath("writable.csv")}).status, 0);
    {
        // The last connection to close takes the -wal and -shm away.
        Connection c;
        c.openUnchecked(db.path());
        if (!wal)
            c.exec("PRAGMA journal_mode=DELETE");
    }
    QVERIFY(!QFileInfo::exists(db.path() + "-shm"));
    const QByteArray book = contents(db.path());

    ReadOnly readOnly;
    if (!readOnly.make(db.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther) ||
        (folderToo && !readOnly.make(db.dir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                   QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                   QFileDevice::ReadOther | QFileDevice::ExeOther)))
        QSKIP("no way to make a file read-only for this user here");
    QCOMPARE(int(Book::inspect(db.path(), Book::Depth::Full).kind), int(Book::State::ReadOnly));
    const Run r = run(args + QStringList{dir.filePath("read-only.csv")});
    QVERIFY2(r.status == status, qPrintable(r.err));
    if (status == 0)
        QCOMPARE(contents(dir.filePath("read-only.csv")), contents(dir.filePath("writable.csv")));
    else
        QVERIFY2(r.err.contains(db.path()), qPrintable(r.err));
    QCOMPARE(contents(db.path()), book);
}

void TestReportCommand::periodToTheLastDay_data()
{
    // The same document to the last day a book holds and to the day before;
    // a slip of that last day tells them apart.
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("toLast");
    QTest::addColumn<QStringList>("toBefore");
    const QStringList last{"--from", "2024-03-01", "--to", "9999-12-31"};
    const QStringList before{"--from", "2024-03-01", "--to", "9999-12-30"};
    QTest::newRow("ledger") << QStringList{"customer-ledger", "--code", "A1"} << last << before;
    QTest::newRow("balance list") << QStringList{"receivable-list"} << last << before;
    QTest::newRow("stock list") << QStringList{"stock-list"} << last << before;
    QTest::newRow("item ledger") << QStringList{"item-ledger", "--code", "I1"} << last << before;
    QTest::newRow("sales detail list") << QStringList{"sales-detail", "--tab", "by-item"} << last << before;
    QTest::newRow("purchase detail list") << QStringList{"buying-detail"} << last << before;
    QTest::newRow("bills") << QStringList{"bills", "--year", "9999"} << QStringList{"--month", "12"}
                           << QStringList{"--month", "11"};
}

void TestReportCommand::periodToTheLastDay()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, toLast);
    QFETCH(QStringList, toBefore);
    TestDb db;
    writeBook(db.path());
    {
        Connection c(db.path());
        Books(c, kCustomerSide)
            .goods(5, QDate(9999, 12, 31), Books::Credit, "A1",
                   {GoodsLine{yen(100), yen(10), Money::fromYen(3)}});
        Books suppliers(c, kSupplierSide);
        suppliers.partner("S1");
        suppliers.goods(1, QDate(9999, 12, 31), Books::Credit, "S1",
                        {GoodsLine{yen(50), yen(5), Money::fromYen(9)}});
    }
    QTemporaryDir dir;
    args << "--database" << db.path();
    const Run atLast = run(args + toLast + QStringList{"--csv", dir.filePath("last.csv")});
    QVERIFY2(atLast.status == 0, qPrintable(atLast.err));
    const Run atBefore = run(args + toBefore + QStringList{"--csv", dir.filePath("before.csv")});
    QVERIFY2(atBefore.status == 0, qPrintable(atBefore.err));
    QVERIFY(contents(dir.filePath("last.csv")).count("\r\n") >= 2);
    QVERIFY(contents(dir.filePath("last.csv")) != contents(dir.filePath("before.csv")));
}

void TestReportCommand::theProgram()
{
    const QString program = QCoreApplication::applicationDirPath() + "/corvinta-report";
    QProcess p;
    p.start(program, {"--help"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* document : {"customer-ledger", "bills", "sales-detail", "year-buying-summary"})
        QVERIFY2(help.contains(QLatin1String(document)), document);
    QVERIFY(help.contains("終了コード"));

    p.start(program,
            {"customer-ledger", "--code", "A1", "--csv", "x.csv", "--database", "/nonexistent/BaseDB.mdb"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), int(ReportCommand::Database));
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("/nonexistent/BaseDB.mdb"));
}

void TestReportCommand::bookCheck()
{
    TestDb db;
    writeBook(db.path());
    const QStringList args = {"check", "--database", db.path()};
    Run r = run(args);
    QCOMPARE(r.status, int(ReportCommand::Done));
    QVERIFY2(r.out.contains("一致"), qPrintable(r.out));

    // One month's figure of one item altered by hand: named, rebuilt, then clean.
    db.exec("UPDATE t_在庫月計 SET 出庫数 = 出庫数 + 10000 WHERE 商品コード = 'I2' AND 年月 = '2024-03'");
    r = run(args);
    QCOMPARE(r.status, int(ReportCommand::Rebuilt));
    QVERIFY2(r.out.contains("商品 I2 2024-03"), qPrintable(r.out));
    QVERIFY2(r.out.contains("1 件"), qPrintable(r.out));
    QCOMPARE(run(args).status, int(ReportCommand::Done));

    QCOMPARE(run({"check", "--tab", "x"}).status, int(ReportCommand::Usage));
}

QTEST_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"
