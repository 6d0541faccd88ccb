#pragma once

#include <QDate>
#include <QString>

#include <stdexcept>

#include "money.h"

class Connection;
class Cursor;
class Dataset;

// A line or slip amount that the program cannot hold or that the database would
// refuse to store. Thrown before anything is written; the message is for the user.
class LineAmountError : public std::overflow_error {
public:
    explicit LineAmountError(const QString& message)
        : std::overflow_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The consumption tax of a sales or purchase line, the line's tax-included
// total and the slip's totals. Both slip windows use these and nothing else, so
// a line gets the same tax whichever window enters it, and the totals shown
// agree with what the report views compute from the stored lines.
namespace LineTax {

// The one tax class whose lines bear tax.
inline const QString TaxableClass = QStringLiteral("01");

// The rate row in force on a day: the latest 適用年月日 on or before it. The slip
// windows open their TaxDataSet on this text with the parameter Date.
inline const QString RateQuery =
    QStringLiteral("SELECT * FROM m_税率 WHERE 適用年月日 <= :Date ORDER BY 適用年月日 DESC LIMIT 1");
inline const QString RateDateParam = QStringLiteral("Date");

// 消費税率 of the rate row in force on `date`; 0 when no row is in force or its
// rate is empty.
Money rateInForce(Connection& connection, const QDate& date);
// 消費税率 of an opened TaxDataSet (RateQuery); 0 when it holds no row.
Money rateOf(const Dataset& taxDataSet);

// Tax per unit (税額): price × rate computed exactly, cut toward zero to whole
// yen; 0 for every class but "01". Throws LineAmountError when it does not fit.
Money taxPerUnit(const QString& taxClass, Money unitPrice, Money rate);

// Refuses a line whose (単価 + 税額) × 数量 does not fit: neither as money nor
// as the engine's 64-bit product that the views and the table's check compute.
void checkLine(Money unitPrice, Money tax, Money quantity);

// 税込合計 of a line: (単価 + 税額) × 数量 rounded once to a whole yen, halves
// away from zero, exactly as v_売上明細 and v_仕入明細 compute it (linetotal.sql):
// the one rule of a line's total in C++. Calls checkLine.
Money lineTotal(Money unitPrice, Money tax, Money quantity);

// The three totals of a slip, summed line by line. 税込合計 adds each line's
// whole-yen total (lineTotal), so it equals the slip's 伝票合計 and the views';
// 税抜合計 and 税合計 add the exact products. A line or a sum that would not fit,
// here or as the view's 伝票合計, throws LineAmountError and leaves the totals as
// they were.
class SlipTotals {
public:
    void addLine(Money unitPrice, Money tax, Money quantity);

    Money beforeTax() const { return m_beforeTax; }  // 税抜合計: Σ 単価 × 数量
    Money tax() const { return m_tax; }              // 税合計: Σ 税額 × 数量
    Money withTax() const { return m_withTax; }      // 税込合計: Σ lineTotal

    // The lines under a second cursor (fields 単価, 税額, 数量; an empty value counts 0).
    static SlipTotals of(Cursor lines);

private:
    Money m_beforeTax, m_tax, m_withTax;
};

}  // namespace LineTax
