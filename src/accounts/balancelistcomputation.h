#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

#include "money.h"

#include "partnerside.h"
#include "period.h"

class Connection;
class Dataset;
struct ColumnSpec;

// What differs between the receivable and the payable balance list besides the
// side's own names: the output column names and the parameter names.
struct BalanceListNames {
    const PartnerSide* side;
    // Output columns (and the sub-queries' aliases, with "tmp_" before the short name).
    QString carriedCredit;      // 繰越掛売合計
    QString carriedMoney;       // 繰越入金合計
    QString periodCredit;       // 期間掛売合計 (sub-query tmp_掛売合計)
    QString periodCash;         // 期間現金売合計 (sub-query tmp_現金売合計)
    QString periodMoney;        // 期間入金合計 (sub-query tmp_入金合計)
    QString periodCreditAlias;  // tmp_掛売合計
    QString periodCashAlias;    // tmp_現金売合計
    QString periodMoneyAlias;   // tmp_入金合計
    // Parameter names.
    QString carriedCreditParam;  // SalesSumDateTo
    QString carriedMoneyParam;   // ReceiveSumDateTo
    QString creditParam;         // CreditSales (+ DateFrom, DateTo)
    QString cashParam;           // CashSales
    QString moneyParam;          // Receive

    static const BalanceListNames& receivable();
    static const BalanceListNames& payable();
};

// One row per partner of the master with the balance carried forward to the
// first day, the period's cash, credit and money slip totals and the balance at
// the end of the period. Every money column holds a number (0 where a partner
// has no slip of that kind). Reads only.
//
// The window shows dataset() in its grid, sorts it by a header click (the held
// rows are reordered, so the print follows) and hands it to the print layout.
// Its columns, in order: <partner code>, <partner name>, <carriedCredit>,
// <carriedMoney>, 繰越残高, <periodCredit>, <periodCash>, <periodMoney>, 残高.
class BalanceListComputation {
public:
    BalanceListComputation(Connection& connection, const BalanceListNames& names);
    ~BalanceListComputation();
    BalanceListComputation(const BalanceListComputation&) = delete;
    BalanceListComputation& operator=(const BalanceListComputation&) = delete;

    const BalanceListNames& names() const { return m_names; }
    Dataset& dataset() const { return *m_dataset; }

    // Runs the query over the period between the two dates; returns the period
    // used, the earlier date first (`exchanged` tells the window to swap its
    // pickers). Rows come in no particular order. On a database error the
    // dataset stays closed and the error propagates.
    Period build(const QDate& from, const QDate& to);

    // The 合計 row: the sum of each money column over every row of the list, in
    // the column order above. Empty while the list is not built.
    std::vector<std::pair<QString, Money>> totals() const;

    QString PeriodFromText() const { return m_periodFromText; }
    QString PeriodToText() const { return m_periodToText; }

    // The columns the window's grid shows and "CSV出力" writes; the period's
    // cash column is `cashWidth` wide (its title differs by side).
    static QList<ColumnSpec> columns(const BalanceListNames& names, int cashWidth);

    static QString queryText(const BalanceListNames& names);

private:
    const BalanceListNames& m_names;
    std::unique_ptr<Dataset> m_dataset;
    QString m_sql;
    QString m_periodFromText, m_periodToText;
};
