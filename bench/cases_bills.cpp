#include "cases_bills.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "billcomputation.h"
#include "billissuerptform.h"
#include "cases_reports.h"
#include "connection.h"
#include "datacases.h"
#include "dataset.h"
#include "formats.h"
#include "harness.h"
#include "money.h"
#include "reportpainter.h"
#include "statement.h"

namespace {

// A plain connection with one statement prepared for the baselines.
class PlainStatement {
public:
    PlainStatement(const QString& path, const QString& sql)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path.toStdString());
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v3(m_db, utf8.constData(), -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + ": " + utf8.toStdString());
    }
    ~PlainStatement()
    {
        sqlite3_finalize(m_stmt);
        sqlite3_close(m_db);
    }
    PlainStatement(const PlainStatement&) = delete;
    PlainStatement& operator=(const PlainStatement&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

    void bind(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    template <typename F>
    void each(F row)
    {
        int rc;
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW)
            row(m_stmt);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        sqlite3_reset(m_stmt);
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

std::uint64_t codeWeight(const QString& code)
{
    std::uint64_t w = 1;
    for (const QChar ch : code)
        w = w * 31 + ch.unicode();
    return w;
}

std::uint64_t billSum(const QString& code, Money prev, Money since, Money credit, Money billed)
{
    const std::uint64_t v = std::uint64_t(prev.raw()) + 3 * std::uint64_t(since.raw()) +
                            5 * std::uint64_t(credit.raw()) + 7 * std::uint64_t(billed.raw());
    return 1 + codeWeight(code) * v;
}

// The month with the most sales slips of month-end customers.
QDate busiestMonth(Connection& c)
{
    Statement s(c,
                "SELECT substr(h.売上年月日, 1, 7) AS ym FROM t_売上 AS h JOIN m_顧客 AS m"
                " ON m.顧客コード = h.顧客コード WHERE m.締日 = 32 AND h.売上区分コード = '10'"
                " GROUP BY ym ORDER BY count(*) DESC, ym LIMIT 1");
    if (!s.step())
        throw std::runtime_error("no credit sale of a month-end customer; run corvinta-gen first");
    return QDate::fromString(s.text(0) + QStringLiteral("-01"), Qt::ISODate);
}

void addListCase(BenchSuite& suite, const BenchContext& ctx)
{
    struct Window {
        Connection connection;
        std::unique_ptr<BillComputation> bills;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->bills = std::make_unique<BillComputation>(window->connection);
    const QDate month = ctx.month;
    const BillPeriod period = BillComputation::period(month.year(), month.month(), BillComputation::MonthEnd);

    // Per month-end customer, four sums of the headers' totals, each a range
    // of the customer index, which carries date, class and total; the billed
    // amount and the half-yen rule in C++.
    auto plain = std::make_shared<PlainStatement>(
        ctx.path,
        "SELECT m.顧客コード,"
        " (SELECT SUM(伝票合計) FROM t_売上 AS h WHERE h.顧客コード = m.顧客コード"
        "  AND h.売上年月日 < ?1 AND h.売上区分コード = '10'),"
        " (SELECT SUM(伝票合計) FROM t_入金 AS h WHERE h.顧客コード = m.顧客コード AND h.入金年月日 < ?1),"
        " (SELECT SUM(伝票合計) FROM t_入金 AS h WHERE h.顧客コード = m.顧客コード AND h.入金年月日 >= ?1),"
        " (SELECT SUM(伝票合計) FROM t_売上 AS h WHERE h.顧客コード = m.顧客コード"
        "  AND h.売上年月日 >= ?1 AND h.売上年月日 < ?2 AND h.売上区分コード = '10')"
        " FROM m_顧客 AS m WHERE m.締日 = 32 ORDER BY m.顧客コード");
    requirePlan(plain->get(), {"USING COVERING INDEX ix_t_売上_顧客コード_売上年月日",
                               "USING COVERING INDEX ix_t_入金_顧客コード_入金年月日"});

    suite.add({
        "bills, month end, all customers: list",
        [window, month] {
            BillComputation& bills = *window->bills;
            bills.build(month.year(), month.month(), BillComputation::MonthEnd);
            const Dataset& ds = bills.list();
            std::uint64_t sum = 0;
            for (int r = 0; r < ds.count(); ++r) {
                const RowRef row = ds.rowRef(r);
                sum += billSum(row.field("顧客コード").asText(), row.field("前月迄売掛残高").asMoney(),
                               row.field("今月以降入金額").asMoney(), row.field("今月掛売合計").asMoney(),
                               row.field("今月請求額").asMoney());
            }
            return std::int64_t(sum);
        },
        [plain, period] {
            plain->bind(1, Formats::isoDate(period.start));
            plain->bind(2, Formats::isoDate(period.end));
            std::uint64_t sum = 0;
            plain->each([&](sqlite3_stmt* st) {
                auto amount = [&](int column) { return Money::fromRaw(sqlite3_column_int64(st, column)); };
                const Money prev = amount(1) - amount(2);
                const Money billed = prev + amount(4) - amount(3);
                if (billed.yenHalfAway() <= 0)
                    return;
                const QString code =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
                sum += billSum(code, prev, amount(3), amount(4), billed);
            });
            return std::int64_t(sum);
        },
        "plain SQL on the tables, per customer",
    });
}

void addLinesCase(BenchSuite& suite, const BenchContext& ctx)
{
    struct Window {
        Connection connection;
        std::unique_ptr<BillComputation> bills;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    window->bills = std::make_unique<BillComputation>(window->connection);
    const QDate month = ctx.month;
    const BillPeriod period = window->bills->build(month.year(), month.month(), BillComputation::MonthEnd);

    // The busiest bill of the month: the customer with the most lines.
    Dataset& list = window->bills->list();
    int busiest = -1, most = -1;
    for (int r = 0; r < list.count(); ++r) {
        list.moveTo(r);
        if (window->bills->lines().count() > most) {
            most = window->bills->lines().count();
            busiest = r;
        }
    }
    if (busiest < 0)
        throw std::runtime_error("no bill in the month; run corvinta-gen first");
    list.moveTo(busiest);
    const QString code = list.field("顧客コード").asText();

    auto plain = std::make_shared<PlainStatement>(
        ctx.path,
        "SELECT h.伝票番号, d.明細番号, d.数量,"
        " CASE WHEN (IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) >= 0"
        " THEN ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) + 5000) / 10000"
        " ELSE ((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) - 5000) / 10000 END"
        " FROM t_売上 AS h JOIN t_売上明細 AS d ON d.伝票番号 = h.伝票番号"
        " WHERE h.顧客コード = ?1 AND h.売上年月日 >= ?2 AND h.売上年月日 < ?3 AND h.売上区分コード = '10'"
        " ORDER BY h.伝票番号, d.明細番号");

    auto lineSum = [](qint64 no, qint64 line, Money qty, Money amount) {
        return std::uint64_t(no * 1000 + line) * 7 + std::uint64_t(qty.raw()) +
               3 * std::uint64_t(amount.raw());
    };
    suite.add({
        "bills, lines of the busiest bill (" + std::to_string(most) + " lines)",
        [window, lineSum] {
            BillComputation& bills = *window->bills;
            bills.lines().close();
            bills.followList();
            const Dataset& ds = bills.lines();
            std::uint64_t sum = 0;
            for (int r = 0; r < ds.count(); ++r) {
                const RowRef row = ds.rowRef(r);
                sum += lineSum(row.field("伝票番号").asInt(), row.field("明細番号").asInt(),
                               row.field("数量").asMoney(), row.field("金額").asMoney());
            }
            return std::int64_t(sum);
        },
        [plain, code, period, lineSum] {
            plain->bind(1, code);
            plain->bind(2, Formats::isoDate(period.start));
            plain->bind(3, Formats::isoDate(period.end));
            std::uint64_t sum = 0;
            plain->each([&](sqlite3_stmt* st) {
                sum += lineSum(sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 1),
                               Money::fromRaw(sqlite3_column_int64(st, 2)),
                               Money::fromRaw(sqlite3_column_int64(st, 3)));
            });
            return std::int64_t(sum);
        },
        "plain SQL on the tables",
    });
}

void addPdfCase(BenchSuite& suite, const BenchContext& ctx)
{
    struct Window {
        Connection connection;
        std::unique_ptr<BillComputation> bills;
        std::unique_ptr<Dataset> company;
        std::unique_ptr<TBillIssueRptForm> report;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    const QDate month = busiestMonth(window->connection);
    window->bills = std::make_unique<BillComputation>(window->connection);
    window->bills->build(month.year(), month.month(), BillComputation::MonthEnd);
    window->company = std::make_unique<Dataset>(window->connection, "SELECT * FROM m_自社情報");
    window->company->addCalculatedField(BillComputation::PostalCodeText, [](const RowRef& row) -> QVariant {
        return Formats::postalCodeText(row.value("郵便番号"));
    });
    window->company->open();
    window->report =
        std::make_unique<TBillIssueRptForm>(window->bills->list(), window->bills->lines(), *window->company);
    window->report->QRLabelDate.setCaption(month.toString("yyyy年MM月dd日"));
    window->report->QRLabelBank.setCaption(window->company->field("取引銀行口座").asText());
    const int bills = window->bills->list().count();

    const QString path = QDir(QDir::tempPath()).filePath("corvinta-bench-bills.pdf");
    suite.add({
        "bills PDF, month end " + month.toString("yyyy-MM").toStdString() + ", " + std::to_string(bills) +
            " bills",
        [window, path] { return writeReportPdf(*window->report, path); },
        {},
    });
}

}  // namespace

void addBillCases(BenchSuite& suite, const BenchContext& context)
{
    addListCase(suite, context);
    addLinesCase(suite, context);
    addPdfCase(suite, context);
}
