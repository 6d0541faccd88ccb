#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "period.h"

class Connection;
class Dataset;
struct ColumnSpec;

// What a column of a summary stands for: a day of the month or a month of the year.
enum class SummaryBucket { Day, Month };

// One way of grouping a side's amounts into rows: what a row is, where its name
// comes from, what it sums. Either line totals (tax included) by item, or slip
// totals by partner or staff member; or, for the two-row summary of a month,
// one fixed row per side (`kinds`).
struct SummaryGroup {
    QString caption;      // 商品別
    QString codeColumn;   // 商品コード; empty for the fixed rows
    QString nameColumn;   // 商品名; 種別 for the fixed rows
    QString master;       // m_商品
    QString substitute;   // その他: the name of a row whose code is empty or unknown
    QString slips;        // v_売上
    QString dateColumn;   // 売上年月日
    QString lines;        // v_売上明細 when line totals are summed, else empty
    QString paramPrefix;  // Sales: the parameters SalesDateFrom, SalesDateTo
    bool kinds = false;

    static const SummaryGroup& salesByItem();
    static const SummaryGroup& salesByCustomer();
    static const SummaryGroup& salesByStaff();
    static const SummaryGroup& buyingByItem();
    static const SummaryGroup& buyingBySupplier();
    // The monthly summary: the rows 売上 and 仕入 of slip totals.
    static const SummaryGroup& salesAndBuying();
};

// The title of one day column: the day and its weekday, how it is coloured.
struct BucketTitle {
    enum class Tone { Plain, Saturday, Sunday, Missing };
    QString text;
    Tone tone = Tone::Plain;
};

// One summary table: the amounts of a period spread over its days (columns "1"
// to "31") or months ("1月" to "12月"), one row per group with 番号 1, ordered
// by code (an empty code first), then the total row (番号 2, code "合計欄", name
// "合計"), and the whole period's 合計 in the last column. Every amount is a
// number: a day without movement, a day the month lacks and the total of a
// period without movement hold 0. The fixed-row summary has no total row and
// a side without slips has no row. Reads only.
//
// The window shows dataset() in its grid and sorts its held rows by a title
// click; the total row sorts like any other row.
class SummaryComputation {
public:
    SummaryComputation(Connection& connection, const SummaryGroup& group, SummaryBucket bucket);
    ~SummaryComputation();
    SummaryComputation(const SummaryComputation&) = delete;
    SummaryComputation& operator=(const SummaryComputation&) = delete;

    const SummaryGroup& group() const { return m_group; }
    SummaryBucket bucket() const { return m_bucket; }
    Dataset& dataset() const { return *m_dataset; }

    // Runs the query over the period (first day to last day, both included).
    // On a database error the dataset stays closed and the error propagates.
    void build(const Period& period);

    // The period of a calendar month, or of a year (`month` 0), from the typed
    // year. Throws std::invalid_argument with a message naming what was typed
    // when it makes no date the book can hold.
    static Period periodOf(const QString& yearText, int month = 0);

    // "1" … "31" or "1月" … "12月".
    static QStringList bucketColumns(SummaryBucket bucket);
    // The 31 day titles of a month: "1 (土)" …; a day the month lacks is its
    // bare number.
    static std::vector<BucketTitle> dayTitles(int year, int month);
    // The columns a grid or a print shows: code (not for the fixed rows), name,
    // the buckets, 合計; each titled by its field name.
    static QList<ColumnSpec> columns(const SummaryGroup& group, SummaryBucket bucket);
    // What build() reads: per code and bucket, the code, its name and the
    // amount (for the two-row summary, the amounts of the sales side, then of
    // the buying side).
    static QString queryText(const SummaryGroup& group, SummaryBucket bucket);

private:
    const SummaryGroup& m_group;
    const SummaryBucket m_bucket;
    Connection& m_connection;
    std::unique_ptr<Dataset> m_dataset;
    QString m_sql;
};
