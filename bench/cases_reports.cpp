#include "cases_reports.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <stdexcept>
#include <string>

#include "connection.h"
#include "datacases.h"
#include "dataset.h"
#include "harness.h"
#include "ledgercomputation.h"
#include "ledgercustomerrptform.h"
#include "reportpainter.h"
#include "statement.h"

namespace {

constexpr int kLedgerPages = 20;

// The customer of the master with the most sales slips: its ledger has the
// most rows per month, and its heading a name.
QString busiestCustomer(Connection& c)
{
    Statement s(c,
                "SELECT h.顧客コード FROM t_売上 AS h"
                " WHERE EXISTS (SELECT 1 FROM m_顧客 AS m WHERE m.顧客コード = h.顧客コード)"
                " GROUP BY h.顧客コード ORDER BY count(*) DESC, h.顧客コード LIMIT 1");
    if (!s.step())
        throw std::runtime_error("the database has no sales slip of a customer; run corvinta-gen first");
    const QString code = s.text(0);
    s.reset();
    return code;
}

void addLedgerPdf(BenchSuite& suite, const BenchContext& ctx)
{
    // The ledger window's datasets as they stand when the user prints: the
    // ledger built with its details and balances, the customer at its row.
    struct Window {
        Connection connection;
        std::unique_ptr<LedgerComputation> ledger;
        std::unique_ptr<Dataset> customer;
        std::unique_ptr<TLedgerCustomerRptForm> report;
    };
    auto window = std::make_shared<Window>();
    window->connection.open(ctx.path);
    const QString code = busiestCustomer(window->connection);
    window->ledger = std::make_unique<LedgerComputation>(window->connection, LedgerNames::customer());
    window->customer =
        std::make_unique<Dataset>(window->connection, "SELECT * FROM m_顧客 WHERE 顧客コード = :Code");
    window->customer->setParam("Code", code);
    window->customer->open();
    window->report = std::make_unique<TLedgerCustomerRptForm>(window->ledger->dataset(), *window->customer);
    window->report->setPrintDate(ctx.month.addMonths(1));

    // The period ends with the context's month and starts on the latest day
    // that still gives twenty pages: whole months back first, then days.
    const QDate to = ctx.month.addMonths(1).addDays(-1);
    auto pagesFrom = [&](const QDate& from) {
        window->ledger->build(code, from, to);
        return int(window->report->paginate().pages.size());
    };
    QDate early = ctx.month, late = ctx.month;  // pages(early) >= 20 > pages(late), once found
    int months = 0;
    while (pagesFrom(early) < kLedgerPages) {
        if (++months > 240)
            throw std::runtime_error("the busiest customer's ledger does not fill twenty pages");
        late = early;
        early = ctx.month.addMonths(-months);
    }
    while (early.daysTo(late) > 1) {
        const QDate middle = early.addDays(early.daysTo(late) / 2);
        (pagesFrom(middle) >= kLedgerPages ? early : late) = middle;
    }
    const int pages = pagesFrom(early);
    window->report->QRLabelDateFrom.setCaption(window->ledger->PeriodFromText());
    window->report->QRLabelDateTo.setCaption(window->ledger->PeriodToText());

    const QString path = QDir(QDir::tempPath()).filePath("corvinta-bench-ledger.pdf");
    suite.add({
        "ledger PDF, " + std::to_string(pages) + " pages",
        [window, path] { return writeReportPdf(*window->report, path); },
        {},
    });
}

}  // namespace

std::int64_t writeReportPdf(const Report& report, const QString& path)
{
    const ReportDocument document = report.paginate();
    writePdf(document, path);
    if (QFileInfo(path).size() <= 0)
        throw std::runtime_error("no PDF written to " + path.toStdString());
    std::int64_t ops = 0;
    for (const ReportPage& page : document.pages)
        ops += std::int64_t(page.ops.size());
    return std::int64_t(document.pages.size()) * 1000000 + ops;
}

void addReportCases(BenchSuite& suite, const BenchContext& context)
{
    addLedgerPdf(suite, context);
}
