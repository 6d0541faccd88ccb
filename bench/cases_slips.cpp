#include "cases_slips.h"

#include <QDate>

#include <memory>
#include <stdexcept>
#include <vector>

#include "connection.h"
#include "datacases.h"
#include "goodsslipeditor.h"
#include "harness.h"
#include "slipkind.h"
#include "statement.h"

namespace {

// One sales slip editor on its own connection, as a slip window has it, with
// an item and a customer of the file to enter slips with.
struct SlipBench {
    explicit SlipBench(const QString& path) : connection(path), editor(connection, SlipKind::sales())
    {
        editor.openFixedLists();
        Statement item(connection,
                       QStringLiteral("SELECT 商品コード FROM m_商品 WHERE 商品分類コード IS NOT NULL "
                                      "ORDER BY 商品コード LIMIT 1"));
        Statement customer(connection,
                           QStringLiteral("SELECT 顧客コード FROM m_顧客 ORDER BY 顧客コード LIMIT 1"));
        if (!item.step() || !customer.step())
            throw std::runtime_error("the file has no item with a category or no customer");
        itemCode = item.text(0);
        customerCode = customer.text(0);
    }

    // A new slip of five lines under the next number, saved; returns its number.
    int enterAndSave()
    {
        const int number = editor.nextSlipNo();
        editor.openSlip(number);
        editor.HeaderDataSet.setValue(QStringLiteral("顧客コード"), customerCode);
        editor.refreshPartner(customerCode);
        editor.refreshEmployee(QString());
        editor.refreshTaxRate();
        for (int line = 0; line < 5; ++line) {
            editor.DetailDataSet.append();
            editor.DetailDataSet.setValue(QStringLiteral("商品コード"), itemCode);
            editor.DetailDataSet.setValue(QStringLiteral("数量"),
                                          QVariant::fromValue(Money::fromYen(line + 1)));
            editor.DetailDataSet.post();
        }
        if (!editor.canCommit(customerCode))
            throw std::runtime_error("the benchmark slip cannot be saved");
        editor.save();
        return number;
    }

    Connection connection;
    GoodsSlipEditor editor;
    QString itemCode, customerCode;
    std::vector<int> saved;  // slips the save case left for the delete case
};

void addCase(BenchSuite& suite, const char* name, BenchFn run)
{
    BenchCase benchCase;
    benchCase.name = name;
    benchCase.run = std::move(run);
    suite.add(std::move(benchCase));
}

}  // namespace

void addSlipCases(BenchSuite& suite, const BenchContext& context)
{
    auto bench = std::make_shared<SlipBench>(context.path);
    const int slipNo = int(context.slipNo);

    addCase(suite, "slips: draw the next sales slip number",
            [bench] { return std::int64_t(bench->editor.nextSlipNo() > 0); });

    addCase(suite, "slips: open a sales slip (header, lines, look-ups, totals)", [bench, slipNo] {
        SlipEditor& e = bench->editor;
        e.openSlip(slipNo);
        e.refreshPartner(e.HeaderDataSet.field(QStringLiteral("顧客コード")).asText());
        bench->editor.refreshEmployee(e.HeaderDataSet.field(QStringLiteral("担当者コード")).asText());
        bench->editor.refreshTaxRate();
        const std::int64_t total = bench->editor.totals().withTax().raw();
        e.closeAll();
        return total;
    });

    addCase(suite, "slips: enter and save a new five-line sales slip", [bench] {
        bench->saved.push_back(bench->enterAndSave());
        return std::int64_t(5);
    });

    // The slips saved by the case above are deleted one by one; when there are
    // none (the case run alone), the warm-up call saves a stock of them first.
    addCase(suite, "slips: delete a sales slip with its lines", [bench] {
        if (bench->saved.empty()) {
            for (int i = 0; i < 64; ++i)
                bench->saved.push_back(bench->enterAndSave());
        }
        const int number = bench->saved.back();
        bench->saved.pop_back();
        SlipEditor& e = bench->editor;
        e.openSlip(number);
        if (e.isNewSlip() || e.DetailDataSet.count() != 5)
            throw std::runtime_error("the slip to delete is not there");
        e.remove();
        return std::int64_t(1);
    });
}
