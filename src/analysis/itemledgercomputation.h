#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <memory>

#include "period.h"

class Connection;
class Dataset;
struct ColumnSpec;

// The movements of one item over a period: the carried-forward row (the stock
// at the start of the first day), then every purchase line (stock in) and sales
// line (stock out) of the period, oldest first, purchases before sales on one
// day, then by slip and line number, with the running stock written into 在庫数
// of the held rows. Reads only; nothing goes back to the database.
//
// Columns, in order: 年月日, 種別コード (-1 carried forward, 1 purchase, 2 sale),
// 種別, 伝票番号, 明細番号, 相手先コード, 相手先名, 単価, 税額, 数量, 金額,
// 入出庫数, 在庫数. The carried-forward row has no slip, line or counterpart
// (null) and zero amounts; 金額 is the line's tax-included total, negated on
// purchase lines; 入出庫数 is + quantity on a purchase, - quantity on a sale.
class ItemLedgerComputation {
public:
    // The document's title: the window's caption, the name of what goes out.
    inline static const QString Title = QStringLiteral("商品元帳");

    explicit ItemLedgerComputation(Connection& connection);
    ~ItemLedgerComputation();
    ItemLedgerComputation(const ItemLedgerComputation&) = delete;
    ItemLedgerComputation& operator=(const ItemLedgerComputation&) = delete;

    // The ledger rows; closed until the first build.
    Dataset& dataset() const { return *m_dataset; }

    // Runs the query for `itemCode` (a bound value) over the period between the
    // two dates and writes the running stock; returns the period used, the
    // earlier date first. The dataset is left on its first row. On a database
    // error the dataset stays closed and the error propagates.
    Period build(const QString& itemCode, const QDate& from, const QDate& to);

    // The period of the last build as "yyyy/mm/dd"; empty before the first.
    QString PeriodFromText() const { return m_periodFromText; }
    QString PeriodToText() const { return m_periodToText; }
    const QString& itemCode() const { return m_itemCode; }

    // The columns the window's grid shows and "CSV出力" writes (the
    // counterpart's code held but hidden).
    static QList<ColumnSpec> columns();
    // The item master's row of the code bound as :Code (the ledger's heading).
    static QString itemQuery() { return QStringLiteral("SELECT * FROM m_商品 WHERE 商品コード = :Code"); }

    static QString queryText();

private:
    void writeRunningStock();

    std::unique_ptr<Dataset> m_dataset;
    QString m_periodFromText, m_periodToText;
    QString m_itemCode;
};
