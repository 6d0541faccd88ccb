#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class Connection;

// The figures the book keeps beside its rows: each slip's 伝票合計 (kept by the
// triggers of keptslips.sql) and the stock by item and month (t_在庫月計,
// stockbymonth.sql). The check recomputes every one of them from the rows and
// rebuilds those that disagree; the triggers should leave it nothing to do.
namespace BookCheck {

struct Finding {
    enum Kind { SlipTotal, Stock };
    Kind kind = SlipTotal;
    QString table;          // the slip's header table (t_売上 …), or t_在庫月計
    std::int64_t slip = 0;  // SlipTotal: the slip's number
    QString item, month;    // Stock: 商品コード and 'YYYY-MM'
    // SlipTotal: [0] is 伝票合計; Stock: 入庫数 and 出庫数. Ten-thousandths.
    std::int64_t kept[2] = {0, 0};
    std::int64_t fresh[2] = {0, 0};

    // "売上伝票 12 の伝票合計 ¥1,000 → ¥1,200", "商品 A001 2024-03 の在庫月計 入庫 …"
    QString text() const;
};

struct Result {
    std::vector<Finding> findings;  // what disagreed and was rebuilt
    bool clean() const { return findings.empty(); }
    // One line per finding.
    QStringList lines() const;
    // "帳簿の点検: …件の集計を作り直しました。" or that all figures agree.
    QString summary() const;
};

// Compares every kept figure with the rows. When any disagrees, it compares
// again inside one write transaction (a savepoint when the caller has one
// open) and writes the figures the rows give for those that disagree, so a
// writer in between cannot make it write a stale figure. Throws DbError.
Result checkAndRebuild(Connection& connection);

// The step to version 3 of the book, inside the upgrade's transaction: drops
// every trigger of the slip tables and the line views, makes them anew
// (keptslips.sql, stockbymonth.sql as built in) and rebuilds the kept figures.
void upgradeToVersion3(Connection& connection);

}  // namespace BookCheck
