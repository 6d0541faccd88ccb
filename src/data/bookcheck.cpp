#include "bookcheck.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "connection.h"
#include "dberror.h"
#include "keptslips_sql.h"  // kKeptSlipsSql: keptslips.sql with the line total put in
#include "money.h"
#include "statement.h"
#include "stockbymonth_sql.h"  // kStockByMonthSql: stockbymonth.sql, as built

namespace BookCheck {

namespace {

struct SlipKind {
    const char* header;
    const char* name;    // as the findings name it
    const char* totals;  // each slip's total from its lines, in slip order
};

// Goods slips sum the line views' 税込合計 (the one rounding rule), money slips 金額.
const SlipKind kSlipKinds[] = {
    {"t_売上", "売上伝票",
     "SELECT 伝票番号, SUM(税込合計) FROM v_売上明細 GROUP BY 伝票番号 ORDER BY 伝票番号"},
    {"t_仕入", "仕入伝票",
     "SELECT 伝票番号, SUM(税込合計) FROM v_仕入明細 GROUP BY 伝票番号 ORDER BY 伝票番号"},
    {"t_入金", "入金伝票", "SELECT 伝票番号, SUM(金額) FROM t_入金明細 GROUP BY 伝票番号 ORDER BY 伝票番号"},
    {"t_支払", "支払伝票", "SELECT 伝票番号, SUM(金額) FROM t_支払明細 GROUP BY 伝票番号 ORDER BY 伝票番号"},
};

const char* const kKeptStock =
    "SELECT 商品コード, 年月, 入庫数, 出庫数 FROM t_在庫月計 ORDER BY 商品コード, 年月";

// Item and month ('YYYY-MM') as the engine holds them, joined by a zero byte:
// compared as std::string, the keys order as the engine's BINARY collation
// orders (item, month) (bytes of UTF-8; no text holds a zero byte).
using StockKey = std::string;
using StockFigures = std::unordered_map<StockKey, std::array<std::int64_t, 2>>;

StockKey stockKey(std::string_view item, std::string_view month)
{
    StockKey key;
    key.reserve(item.size() + 1 + month.size());
    key.append(item).push_back('\0');
    key.append(month);
    return key;
}

// Adds every dated line of one side that names an item to its figure (0: 入庫数,
// 1: 出庫数). Lines and headers are read each in its own key order and merged
// here: a join lets the engine walk the lines through the item index, a
// random read per line (13 s instead of 1 s over a million lines).
void addSide(Connection& c, const char* header, const char* date, const char* lines, int which,
             StockFigures& figures)
{
    Statement h(c, QStringLiteral("SELECT 伝票番号, substr(%2, 1, 7) FROM %1 ORDER BY 伝票番号")
                       .arg(QString::fromUtf8(header), QString::fromUtf8(date)));
    Statement d(c, QStringLiteral("SELECT 伝票番号, 商品コード, 数量 FROM %1 ORDER BY 伝票番号")
                       .arg(QString::fromUtf8(lines)));
    bool haveHeader = h.step();
    while (d.step()) {
        const std::int64_t no = d.int64(0);
        while (haveHeader && h.int64(0) < no)
            haveHeader = h.step();
        if (!haveHeader || h.int64(0) != no || h.isNull(1) || d.isNull(1))
            continue;  // no slip, an undated slip or no item: counts nowhere
        std::int64_t& figure = figures[stockKey(*d.utf8Text(1), *h.utf8Text(1))][which];
        if (__builtin_add_overflow(figure, d.int64(2), &figure))
            throw DbError(QStringLiteral("在庫月計が大きすぎます。"));
    }
}

void compareSlipTotals(Connection& c, const SlipKind& kind, std::vector<Finding>& out)
{
    Statement kept(c, QStringLiteral("SELECT 伝票番号, 伝票合計 FROM %1 ORDER BY 伝票番号")
                          .arg(QString::fromUtf8(kind.header)));
    Statement fresh(c, QString::fromUtf8(kind.totals));
    // Both in slip order: a merge. Lines of no slip count for none.
    bool more = fresh.step();
    while (kept.step()) {
        const std::int64_t no = kept.int64(0);
        while (more && fresh.int64(0) < no)
            more = fresh.step();
        const std::int64_t total = more && fresh.int64(0) == no ? fresh.int64(1) : 0;
        if (kept.isNull(1) || kept.int64(1) != total) {
            Finding f;
            f.kind = Finding::SlipTotal;
            f.table = QString::fromUtf8(kind.header);
            f.slip = no;
            f.kept[0] = kept.int64(1);
            f.fresh[0] = total;
            out.push_back(f);
        }
    }
}

void compareStock(Connection& c, std::vector<Finding>& out)
{
    StockFigures figures;
    figures.reserve(1 << 19);
    addSide(c, "t_仕入", "仕入年月日", "t_仕入明細", 0, figures);
    addSide(c, "t_売上", "売上年月日", "t_売上明細", 1, figures);
    std::vector<std::pair<StockKey, std::array<std::int64_t, 2>>> fresh(figures.begin(), figures.end());
    figures.clear();
    std::sort(fresh.begin(), fresh.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Statement kept(c, QString::fromUtf8(kKeptStock));
    auto next = fresh.begin();
    auto report = [&out](const StockKey& key, std::array<std::int64_t, 2> was,
                         std::array<std::int64_t, 2> is) {
        if (was == is)
            return;
        Finding f;
        f.kind = Finding::Stock;
        f.table = QStringLiteral("t_在庫月計");
        const std::size_t cut = key.find('\0');
        f.item = QString::fromUtf8(key.data(), qsizetype(cut));
        f.month = QString::fromUtf8(key.data() + cut + 1, qsizetype(key.size() - cut - 1));
        f.kept[0] = was[0];
        f.kept[1] = was[1];
        f.fresh[0] = is[0];
        f.fresh[1] = is[1];
        out.push_back(f);
    };
    // Both in key order: a merge. A figure on one side only counts 0 on the other.
    while (kept.step()) {
        const StockKey key = stockKey(kept.utf8Text(0).value_or(""), kept.utf8Text(1).value_or(""));
        for (; next != fresh.end() && next->first < key; ++next)
            report(next->first, {0, 0}, next->second);
        std::array<std::int64_t, 2> is = {0, 0};
        if (next != fresh.end() && next->first == key)
            is = (next++)->second;
        report(key, {kept.int64(2), kept.int64(3)}, is);
    }
    for (; next != fresh.end(); ++next)
        report(next->first, {0, 0}, next->second);
}

std::vector<Finding> compare(Connection& c)
{
    std::vector<Finding> out;
    for (const SlipKind& kind : kSlipKinds)
        compareSlipTotals(c, kind, out);
    compareStock(c, out);
    return out;
}

void write(Connection& c, const std::vector<Finding>& findings)
{
    for (const Finding& f : findings) {
        if (f.kind == Finding::SlipTotal) {
            // The header's own trigger finds the total right and leaves it.
            Statement st(c, QStringLiteral("UPDATE %1 SET 伝票合計 = ? WHERE 伝票番号 = ?").arg(f.table));
            st.bind(1, qlonglong(f.fresh[0]));
            st.bind(2, qlonglong(f.slip));
            st.run();
        } else {
            Statement st(c, QStringLiteral("INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数) "
                                           "VALUES (?, ?, ?, ?) ON CONFLICT (商品コード, 年月) DO UPDATE "
                                           "SET 入庫数 = excluded.入庫数, 出庫数 = excluded.出庫数"));
            st.bind(1, f.item);
            st.bind(2, f.month);
            st.bind(3, qlonglong(f.fresh[0]));
            st.bind(4, qlonglong(f.fresh[1]));
            st.run();
        }
    }
    // Notes a write left without replacing anything are done with too.
    c.exec(QStringLiteral("DELETE FROM t_在庫月計_再計算"));
}

QString slipName(const QString& table)
{
    for (const SlipKind& kind : kSlipKinds)
        if (table == QString::fromUtf8(kind.header))
            return QString::fromUtf8(kind.name);
    return table;
}

}  // namespace

QString Finding::text() const
{
    if (kind == SlipTotal)
        return QStringLiteral("%1 %2 の伝票合計 %3 → %4")
            .arg(slipName(table))
            .arg(slip)
            .arg(Money::fromRaw(kept[0]).toMoneyText(), Money::fromRaw(fresh[0]).toMoneyText());
    return QStringLiteral("商品 %1 %2 の在庫月計 入庫 %3 → %4、出庫 %5 → %6")
        .arg(item, month, Money::fromRaw(kept[0]).toQuantityText(), Money::fromRaw(fresh[0]).toQuantityText(),
             Money::fromRaw(kept[1]).toQuantityText(), Money::fromRaw(fresh[1]).toQuantityText());
}

QStringList Result::lines() const
{
    QStringList out;
    for (const Finding& f : findings)
        out << f.text();
    return out;
}

QString Result::summary() const
{
    if (clean())
        return QStringLiteral("帳簿の点検: 集計はすべて明細と一致しています。");
    return QStringLiteral("帳簿の点検: 明細と合わない集計 %1 件を作り直しました。").arg(findings.size());
}

Result checkAndRebuild(Connection& connection)
{
    Result result;
    // A clean book, the usual case, is read and left without taking the write lock.
    if (compare(connection).empty())
        return result;
    Transaction t(connection);
    result.findings = compare(connection);
    write(connection, result.findings);
    t.commit();
    return result;
}

void upgradeToVersion3(Connection& connection)
{
    QStringList triggers;
    {
        Statement st(connection,
                     QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name "
                                    "IN ('t_売上', 't_売上明細', 't_仕入', 't_仕入明細', 't_入金', "
                                    "'t_入金明細', 't_支払', 't_支払明細')"));
        while (st.step())
            triggers << st.text(0);
    }
    // Names read from the file's own schema; DDL takes no parameters.
    for (QString name : triggers)
        connection.exec(
            QStringLiteral("DROP TRIGGER \"%1\"").arg(name.replace(u'"', QStringLiteral("\"\""))));
    connection.exec(
        QStringLiteral("DROP VIEW IF EXISTS v_売上明細; DROP VIEW IF EXISTS v_仕入明細; "
                       "DROP VIEW IF EXISTS v_在庫月計_再計算"));
    connection.exec(QString::fromUtf8(kKeptSlipsSql));
    connection.exec(QString::fromUtf8(kStockByMonthSql));
    checkAndRebuild(connection);
}

}  // namespace BookCheck
