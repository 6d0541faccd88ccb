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

// The detail lists: every goods slip of a period with its lines, as one held
// result in which group rows and line rows are interleaved in display order.
//
//   BySlip      a slip row (明細番号 -1) carrying the slip total, then its lines;
//               on both sides.
//   ByItem      an item row (-1) carrying the sum of its lines, then its lines;
//               lines without an item code form the first group, "その他".
//   ByCustomer  a customer row (-2) carrying the sum of its slip totals, then each
//               slip row (-1) followed by its lines; slips without a customer name
//               are totalled under "一般客".
//
// Columns beginning with 表示用 hold a value only on the rows where it is shown;
// the plain column of the same name is filled on every row and serves the order
// and the actions. Dates are held as dates and slip numbers as numbers on every
// arrangement. Reads only.
class DetailList {
public:
    enum class Arrangement { BySlip, ByItem, ByCustomer };
    static constexpr int GroupRow = -1;     // 明細番号 of a slip or item row
    static constexpr int CustomerRow = -2;  // 明細番号 of a customer row

    DetailList(Connection& connection, const PartnerSide& side, Arrangement arrangement);
    ~DetailList();
    DetailList(const DetailList&) = delete;
    DetailList& operator=(const DetailList&) = delete;

    Dataset& dataset() const { return *m_dataset; }
    Arrangement arrangement() const { return m_arrangement; }
    const PartnerSide& side() const { return m_side; }

    // Lists the period, both days included (the caller orders it, see
    // Period::ordered). On a database error the dataset stays closed and the
    // error propagates.
    void build(const Period& period);

    // The slip a row belongs to; 0 on an item or a customer row, which has none
    // (lineNoAt tells those rows apart, as a slip may be numbered 0).
    int slipNoAt(int row) const;
    // The row's 明細番号: GroupRow on a slip or an item row, CustomerRow on a
    // customer row, the line number on a line.
    int lineNoAt(int row) const;

    // The columns a list's grid shows, "CSV出力" writes and the print lays out.
    static QList<ColumnSpec> columns(const PartnerSide& side, Arrangement arrangement);

    static QString queryText(const PartnerSide& side, Arrangement arrangement);
    // "Sales" or "Buying": the stem of the parameter names.
    static QString paramStem(const PartnerSide& side) { return side.isCustomer ? "Sales" : "Buying"; }

private:
    const PartnerSide& m_side;
    Arrangement m_arrangement;
    std::unique_ptr<Dataset> m_dataset;
    QString m_sql;
};
