#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

class Connection;
class Dataset;
struct ColumnSpec;

// The days a bill covers: from `start` up to, not including, `end`.
struct BillPeriod {
    QDate start;  // S
    QDate end;    // E, the day after the closing day
    QDate last() const { return end.addDays(-1); }
    bool operator==(const BillPeriod&) const = default;
};

// The monthly bills of the customers who share one closing day: one row per
// customer who owes something, with the balance up to the previous closing, the
// receipts since, the credit sales of the period and the amount billed, and the
// credit-sale lines of the selected customer. Reads only; the print marks live
// in the held rows and nothing goes back to the database.
//
// list() columns, in order: 顧客コード, 顧客名, 郵便番号, 住所, 前月迄売掛残高,
// 今月以降入金額, 繰越残高, 今月掛売合計, 今月請求額, 請求書印刷 (−1 print,
// 0 do not; every row −1 after a build), in code order.
// lines() columns: 顧客コード, 売上年月日, 伝票番号, 明細番号, 商品コード,
// 商品名, 単価, 税額, 数量, 単位, 金額 (the line total with tax), in slip and
// line order. lines() always holds the lines of the list's current customer:
// it follows the list's cursor (also while a print layout walks the list), and
// is empty when the list has no current row.
class BillComputation {
public:
    // The closing day of the customers who close at month end.
    static constexpr int MonthEnd = 32;
    static constexpr int MinYear = 1900;
    static constexpr int MaxYear = 9999;
    // A calculated field of list(): 郵便番号 as seven digits, leading zeros kept.
    inline static const QString PostalCodeText = QStringLiteral("郵便番号表示");

    // A calculated field of list(): the mark as the grid shows it, "はい" / "いいえ".
    inline static const QString MarkText = QStringLiteral("請求書印刷表示");
    // The document's title: the window's caption, the name of what goes out.
    inline static const QString Title = QStringLiteral("売掛請求");

    explicit BillComputation(Connection& connection);
    ~BillComputation();
    BillComputation(const BillComputation&) = delete;
    BillComputation& operator=(const BillComputation&) = delete;

    Dataset& list() const { return *m_list; }
    Dataset& lines() const { return *m_lines; }

    // The period billed in month `year`/`month` for closing day `closingDay`
    // (1–31, or MonthEnd): when the month has that day, from the day after the
    // same day a month earlier (or after that month's last day, when it is
    // shorter) to that day; otherwise the whole month. Throws
    // std::invalid_argument with a message for the user for a year outside
    // MinYear–MaxYear, a month outside 1–12 or a day outside 1–MonthEnd.
    static BillPeriod period(int year, int month, int closingDay);
    // The year typed in the window: digits only (half- or full-width), within
    // MinYear–MaxYear. Throws std::invalid_argument with a message otherwise.
    static int yearFromText(const QString& text);

    // Lists the customers with `closingDay` whose amount billed, in whole yen
    // as the bill shows it, is above 0, each marked for printing; the lines
    // follow the first row. Returns the period. On a bad argument or a database
    // error both datasets are closed and the error propagates.
    BillPeriod build(int year, int month, int closingDay);
    // The period of the last build; invalid dates before it.
    const BillPeriod& lastPeriod() const { return m_period; }

    // Turns the print mark of the current list row over (−1 ⇄ 0). Does nothing
    // without a current row.
    void toggleMark();
    // Shows only the rows marked for printing, or every row again. Either way the
    // list moves to its first row.
    void showMarkedOnly(bool on);

    // The columns of the list's grid ("CSV出力" writes them) and of the lines' grid.
    static QList<ColumnSpec> listColumns();
    static QList<ColumnSpec> lineColumns();
    // The company's row the bills print (with PostalCodeText), closed.
    static std::unique_ptr<Dataset> companyDataset(Connection& connection);

    static QString listQueryText();
    static QString lineQueryText();

    // Loads the lines of the list's current customer unless they are held
    // already; runs on every move of the list's cursor.
    void followList();

private:
    std::unique_ptr<Dataset> m_list;
    std::unique_ptr<Dataset> m_lines;
    BillPeriod m_period;
    QVariant m_linesCustomer;
};
