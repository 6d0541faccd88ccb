#include "cases_lists.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

#include "connection.h"
#include "datacases.h"
#include "dataset.h"
#include "datasetmodel.h"
#include "detaillist.h"
#include "gridreport.h"
#include "harness.h"
#include "report.h"
#include "reportdocument.h"
#include "reportpainter.h"
#include "statement.h"

namespace {

using Arrangement = DetailList::Arrangement;

// Of one arrangement: every row counted, every line amount, and every group
// total (slip totals on slip rows, item and customer totals on theirs).
std::int64_t listSum(const DetailList& list)
{
    const Dataset& ds = list.dataset();
    const QString group = list.arrangement() == Arrangement::BySlip   ? QStringLiteral("伝票合計")
                          : list.arrangement() == Arrangement::ByItem ? QStringLiteral("合計")
                                                                      : QStringLiteral("顧客毎合計");
    std::int64_t sum = ds.count();
    for (int r = 0; r < ds.count(); ++r) {
        sum += ds.fieldAt(r, QStringLiteral("金額")).asMoney().raw();
        sum += ds.fieldAt(r, group).asMoney().raw();
        if (list.arrangement() == Arrangement::ByCustomer)
            sum += ds.fieldAt(r, QStringLiteral("伝票合計")).asMoney().raw();
    }
    return sum;
}

struct Lists {
    Connection connection;
    std::array<std::unique_ptr<DetailList>, 3> lists;
};

std::shared_ptr<Lists> openLists(const QString& path, const PartnerSide& side, bool all)
{
    auto w = std::make_shared<Lists>();
    w->connection.open(path);
    const Arrangement arrangements[] = {Arrangement::BySlip, Arrangement::ByItem, Arrangement::ByCustomer};
    for (int i = 0; i < (all ? 3 : 1); ++i)
        w->lists[size_t(i)] = std::make_unique<DetailList>(w->connection, side, arrangements[i]);
    return w;
}

// The same numbers straight from the tables: slip, line, item-group and
// customer-group counts, the sum of the line totals and of the slip totals.
std::int64_t plainSum(Connection& c, const PartnerSide& side, const Period& period, bool all)
{
    const QString sql = side.fillNames(QStringLiteral(
        "SELECT (SELECT count(*) FROM {Slips} WHERE {SlipDate} >= :F AND {SlipDate} < :T),"
        " (SELECT IFNULL(SUM(伝票合計), 0) FROM {Slips} WHERE {SlipDate} >= :F AND {SlipDate} < :T),"
        " count(*), IFNULL(SUM(d.税込合計), 0), count(DISTINCT NULLIF(d.商品コード, ''))"
        "   + max(count(*) - count(NULLIF(d.商品コード, '')), 0) / max(count(*) - count(NULLIF(d.商品コード, "
        "'')), 1),"
        " (SELECT count(*) FROM (SELECT 1 FROM {Slips} WHERE {SlipDate} >= :F AND {SlipDate} < :T"
        "   GROUP BY NULLIF({Partner}, ''), {PartnerName}))"
        " FROM {Slips} AS h JOIN {Lines} AS d ON d.伝票番号 = h.伝票番号"
        " WHERE h.{SlipDate} >= :F AND h.{SlipDate} < :T"));
    Statement s(c, sql);
    s.bind(1, period.from);
    s.bind(2, period.dayAfterTo());
    if (!s.step())
        throw std::runtime_error("no sums");
    const std::int64_t slips = s.int64(0), slipTotals = s.int64(1), lines = s.int64(2),
                       lineTotals = s.int64(3), items = s.int64(4), customers = s.int64(5);
    std::int64_t sum = slips + lines + lineTotals + slipTotals;  // by slip
    if (all) {
        sum += items + lines + lineTotals + lineTotals;                           // by item
        sum += customers + slips + lines + lineTotals + slipTotals + slipTotals;  // by customer
    }
    return sum;
}

void addBuild(BenchSuite& suite, const BenchContext& ctx, const std::string& name, const PartnerSide& side,
              const Period& period, bool all)
{
    const auto w = openLists(ctx.path, side, all);
    suite.add({
        name,
        [w, period] {
            std::int64_t sum = 0;
            for (const auto& list : w->lists) {
                if (!list)
                    continue;
                list->build(period);
                sum += listSum(*list);
            }
            return sum;
        },
        [w, &side, period, all] { return plainSum(w->connection, side, period, all); },
    });
}

void addPdf(BenchSuite& suite, const BenchContext& ctx, const Period& period)
{
    const auto w = openLists(ctx.path, PartnerSide::customer(), false);
    DetailList& list = *w->lists[0];
    list.build(period);
    const QList<ColumnSpec> columns{
        {"表示用年月日", "売上年月日", 80, Qt::AlignLeft, DisplayFormat::Date},
        {"表示用伝票番号", "伝票番号", 64, Qt::AlignRight, DisplayFormat::Integer},
        {"顧客名", "顧客名", 150},
        {"区分", "区分", 48},
        {"商品名", "商品名", 170},
        {"分類名", "分類名", 90},
        {"単価", "単価", 80, Qt::AlignRight, DisplayFormat::Money},
        {"税額", "税額", 64, Qt::AlignRight, DisplayFormat::Money},
        {"数量", "数量", 72, Qt::AlignRight, DisplayFormat::Quantity},
        {"金額", "金額", 88, Qt::AlignRight, DisplayFormat::Money},
        {"伝票合計", "伝票合計", 92, Qt::AlignRight, DisplayFormat::Money},
    };
    std::shared_ptr<Report> report = gridReport(
        {"売上明細表（伝票別）",
         [w](int row) { return w->lists[0]->lineNoAt(row) < 0 ? QColor(0xef, 0xef, 0xef) : QColor(); }},
        list.dataset(), columns);
    report->setText("QRLabelDateFrom", period.fromText());
    report->setText("QRLabelDateTo", period.toText());
    report->setPrintDate(period.to);
    const QString path = QDir(QDir::tempPath()).filePath("corvinta-bench-salesdetail.pdf");
    suite.add({
        "sales detail by slip, month, PDF (" + std::to_string(list.dataset().count()) + " rows)",
        [w, report, path] {
            const ReportDocument document = report->paginate();
            writePdf(document, path);
            if (QFileInfo(path).size() <= 0)
                throw std::runtime_error("no PDF written to " + path.toStdString());
            return std::int64_t(document.pages.size());
        },
        {},
    });
}

}  // namespace

void addListCases(BenchSuite& suite, const BenchContext& ctx)
{
    const Period month{ctx.month, ctx.month.addMonths(1).addDays(-1)};
    const Period year{QDate(ctx.month.year(), 1, 1), QDate(ctx.month.year(), 12, 31)};
    addBuild(suite, ctx, "sales detail, month, three tabs", PartnerSide::customer(), month, true);
    addBuild(suite, ctx, "purchase detail, month", PartnerSide::supplier(), month, false);
    addBuild(suite, ctx, "sales detail, year, three tabs", PartnerSide::customer(), year, true);
    if (qEnvironmentVariableIsSet("CORVINTA_BENCH_TEN_YEARS"))
        addBuild(suite, ctx, "sales detail, ten years, three tabs", PartnerSide::customer(),
                 {QDate(1900, 1, 1), QDate(2999, 12, 31)}, true);
    addPdf(suite, ctx, month);
}
