#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <memory>

#include "partnerside.h"
#include "period.h"

class Connection;
class Dataset;
struct ColumnSpec;

// What differs between the customer ledger and the supplier ledger besides the
// side's own names: the class-name column of the goods view, the three output
// columns named for the side, the label of the money slips and the parameter
// names. Everything else is shared.
struct LedgerNames {
    const PartnerSide* side;
    QString kindNameColumn;  // 区分名: the class name shown as 種別 on slip rows
    QString moneyLabel;      // 入金: 種別 on money slip rows
    QString creditTotal;     // 掛売合計: output column, credit slip total
    QString moneyAmount;     // 入金額: output column, money line amount
    QString moneyTotal;      // 入金合計: output column, money slip total
    QString creditSumParam;  // CreditSalesSumDateTo
    QString cashParam;       // CashSales (+ DateFrom, DateTo, DateFrom2, DateTo2)
    QString creditParam;     // CreditSales
    QString moneyParam;      // Receive

    static const LedgerNames& customer();
    static const LedgerNames& supplier();
};

// The rows of a customer or supplier ledger for one partner and period: the
// carried-forward row, then every cash, credit and money slip of the period, each
// followed by its lines, in date order, with the running balance written into
// 残高 of the held rows. Reads only; nothing goes back to the database.
//
// The window shows dataset() in its grid and hands it to the print layout. Its
// columns, in order: 表示用年月日, 年月日, 種別コード, 種別, 区分コード, 区分,
// 伝票番号, 明細番号, 商品コード, 商品名, 分類コード, 分類名, 単価, 税額, 数量,
// 金額, 現金合計, <creditTotal>, <moneyAmount>, <moneyTotal>, 残高.
class LedgerComputation {
public:
    LedgerComputation(Connection& connection, const LedgerNames& names);
    ~LedgerComputation();
    LedgerComputation(const LedgerComputation&) = delete;
    LedgerComputation& operator=(const LedgerComputation&) = delete;

    const LedgerNames& names() const { return m_names; }
    // The ledger rows; closed until the first build. Stays filtered by the detail
    // setting (all rows, or the carried-forward and slip rows only).
    Dataset& dataset() const { return *m_dataset; }

    // Runs the query for `partnerCode` over the period between the two dates and
    // writes the running balance; returns the period used, the earlier date
    // first (`exchanged` tells the window to swap its pickers). The dataset is
    // left on its first row. On a database error the dataset stays closed and
    // the error propagates.
    Period build(const QString& partnerCode, const QDate& from, const QDate& to);

    // Whether detail lines are shown. Works open or closed and holds for later
    // builds; the balances do not change.
    void setShowDetails(bool show);
    bool showDetails() const { return m_showDetails; }

    // The period of the last build as "yyyy/mm/dd", for the print layout; empty
    // before the first build.
    QString PeriodFromText() const { return m_periodFromText; }
    QString PeriodToText() const { return m_periodToText; }
    // The partner of the last build.
    const QString& partnerCode() const { return m_partnerCode; }

    // The columns the window's grid shows and "CSV出力" writes (the item code
    // held but hidden); 残高 is titled and sized by the window's side.
    static QList<ColumnSpec> columns(const LedgerNames& names, const QString& balanceTitle, int balanceWidth,
                                     int quantityWidth);

    // The query text for these names (the same text every build).
    static QString queryText(const LedgerNames& names);

private:
    void writeRunningBalance();
    void applyDetailFilter();

    const LedgerNames& m_names;
    std::unique_ptr<Dataset> m_dataset;
    QString m_sql;
    bool m_showDetails = true;
    QString m_periodFromText, m_periodToText;
    QString m_partnerCode;
};
