#include "bookcheck.h"

#include <string>
#include <string_view>

#include "connection.h"
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

// Every dated line that names an item, by item and month, in the kept table's
// key order (BINARY: byte order of the UTF-8 text).
const char* const kFreshStock = R"(
SELECT 商品コード, 年月, SUM(入庫数), SUM(出庫数)
FROM (SELECT d.商品コード AS 商品コード, substr(h.仕入年月日, 1, 7) AS 年月, IFNULL(d.数量, 0) AS 入庫数, 0 AS 出庫数
      FROM t_仕入 AS h, t_仕入明細 AS d
      WHERE h.伝票番号 = d.伝票番号 AND d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
      UNION ALL
      SELECT d.商品コード, substr(h.売上年月日, 1, 7), 0, IFNULL(d.数量, 0)
      FROM t_売上 AS h, t_売上明細 AS d
      WHERE h.伝票番号 = d.伝票番号 AND d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL)
GROUP BY 商品コード, 年月
ORDER BY 商品コード, 年月
)";
const char* const kKeptStock =
    "SELECT 商品コード, 年月, 入庫数, 出庫数 FROM t_在庫月計 ORDER BY 商品コード, 年月";

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
    Statement kept(c, QString::fromUtf8(kKeptStock));
    Statement fresh(c, QString::fromUtf8(kFreshStock));
    bool haveKept = kept.step(), haveFresh = fresh.step();
    auto key = [](const Statement& st) {
        return std::pair<std::string, std::string>(std::string(st.utf8Text(0).value_or("")),
                                                   std::string(st.utf8Text(1).value_or("")));
    };
    while (haveKept || haveFresh) {
        Finding f;
        f.kind = Finding::Stock;
        f.table = QStringLiteral("t_在庫月計");
        int order = 0;  // < 0: a kept figure no line gives; > 0: lines without a kept figure
        if (haveKept && haveFresh) {
            const auto k = key(kept), n = key(fresh);
            order = k < n ? -1 : (n < k ? 1 : 0);
        } else {
            order = haveKept ? -1 : 1;
        }
        const Statement& named = order <= 0 ? kept : fresh;
        f.item = named.text(0);
        f.month = named.text(1);
        if (order <= 0) {
            f.kept[0] = kept.int64(2);
            f.kept[1] = kept.int64(3);
        }
        if (order >= 0) {
            f.fresh[0] = fresh.int64(2);
            f.fresh[1] = fresh.int64(3);
        }
        if (f.kept[0] != f.fresh[0] || f.kept[1] != f.fresh[1])
            out.push_back(f);
        if (order <= 0)
            haveKept = kept.step();
        if (order >= 0)
            haveFresh = fresh.step();
    }
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
