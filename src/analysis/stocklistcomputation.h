#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <memory>

#include "period.h"

class Connection;
class Dataset;
struct ColumnSpec;

// One row per item of the item master with the stock carried into a period,
// the quantities received (purchase lines) and issued (sales lines) in it and
// the stock at its end. Every quantity is exact and present (0 where an item
// did not move); lines without an item code count nowhere. Reads only.
//
// Columns, in order: 商品コード, 商品名, 繰越数量, 期間入庫数, 期間出庫数, 在庫数.
// The rows start in item-code order; the window sorts the held rows by a
// header click and the print follows.
class StockListComputation {
public:
    // The document's title: the window's caption, the name of what goes out.
    inline static const QString Title = QStringLiteral("商品在庫一覧表");

    explicit StockListComputation(Connection& connection);
    ~StockListComputation();
    StockListComputation(const StockListComputation&) = delete;
    StockListComputation& operator=(const StockListComputation&) = delete;

    Dataset& dataset() const { return *m_dataset; }

    // Runs the query over the period between the two dates; returns the period
    // used, the earlier date first. On a database error the dataset stays
    // closed and the error propagates.
    Period build(const QDate& from, const QDate& to);

    QString PeriodFromText() const { return m_periodFromText; }
    QString PeriodToText() const { return m_periodToText; }

    // The columns the window's grid shows and "CSV出力" writes.
    static QList<ColumnSpec> columns();

    static QString queryText();

private:
    std::unique_ptr<Dataset> m_dataset;
    QString m_periodFromText, m_periodToText;
};
