#include "billcomputation.h"

#include <QObject>

#include <stdexcept>

#include "dataset.h"
#include "datasetmodel.h"
#include "formats.h"
#include "money.h"
#include "period.h"

namespace {

// Per customer of the closing day: the credit sales and the receipts before the
// period, the receipts from its first day on (with no end: a receipt after the
// closing day but before the bill goes out still counts) and the credit sales of
// the period, each a sum of slip totals read from the customer's range of the
// slip indexes alone (the headers carry the totals, so the sums read the
// tables, not the views, which would look up the class and customer names of
// every slip). The sums are taken once per customer; the billed amount is
// formed from them.
const char* const kListQuery = R"(
WITH sums AS MATERIALIZED (
  SELECT m.顧客コード AS 顧客コード, m.顧客名 AS 顧客名, m.郵便番号 AS 郵便番号, m.住所 AS 住所,
         (SELECT IFNULL(SUM(s.伝票合計), 0) FROM t_売上 AS s
           WHERE s.顧客コード = m.顧客コード AND s.売上年月日 < :SalesPrevSumDateTo
             AND s.売上区分コード = '10')
       - (SELECT IFNULL(SUM(r.伝票合計), 0) FROM t_入金 AS r
           WHERE r.顧客コード = m.顧客コード AND r.入金年月日 < :ReceivePrevSumDateTo) AS 前月迄売掛残高,
         (SELECT IFNULL(SUM(r.伝票合計), 0) FROM t_入金 AS r
           WHERE r.顧客コード = m.顧客コード AND r.入金年月日 >= :ReceiveSumDateFrom) AS 今月以降入金額,
         (SELECT IFNULL(SUM(s.伝票合計), 0) FROM t_売上 AS s
           WHERE s.顧客コード = m.顧客コード AND s.売上年月日 >= :SalesSumDateFrom
             AND s.売上年月日 < :SalesSumDateTo AND s.売上区分コード = '10') AS 今月掛売合計
  FROM m_顧客 AS m
  WHERE m.締日 = :ClosingDay
)
SELECT 顧客コード, 顧客名, 郵便番号, 住所,
       前月迄売掛残高,
       今月以降入金額,
       前月迄売掛残高 - 今月以降入金額 AS 繰越残高,
       今月掛売合計,
       前月迄売掛残高 + 今月掛売合計 - 今月以降入金額 AS 今月請求額,
       -1 AS 請求書印刷
FROM sums
WHERE 前月迄売掛残高 + 今月掛売合計 - 今月以降入金額 > :BilledAbove
ORDER BY 顧客コード
)";

// The credit-sale lines of one customer in the period; the line amount is the
// view's, with tax.
const char* const kLineQuery = R"(
SELECT h.顧客コード AS 顧客コード, h.売上年月日 AS 売上年月日, h.伝票番号 AS 伝票番号,
       d.明細番号 AS 明細番号, d.商品コード AS 商品コード, d.商品名 AS 商品名,
       d.単価 AS 単価, d.税額 AS 税額, d.数量 AS 数量, d.単位 AS 単位, d.税込合計 AS 金額
FROM t_売上 AS h, v_売上明細 AS d
WHERE h.売上区分コード = '10'
  AND h.伝票番号 = d.伝票番号
  AND h.顧客コード = :顧客コード
  AND h.売上年月日 >= :SalesSumDateFrom
  AND h.売上年月日 <  :SalesSumDateTo
ORDER BY h.伝票番号, d.明細番号
)";

const QString kCode = QStringLiteral("顧客コード");
const QString kMark = QStringLiteral("請求書印刷");

bool isMarked(const RowRef& row)
{
    return row.field(kMark).asInt() < 0;
}

}  // namespace

BillComputation::BillComputation(Connection& connection)
    : m_list(std::make_unique<Dataset>(connection, listQueryText())),
      m_lines(std::make_unique<Dataset>(connection, lineQueryText()))
{
    // The list is never written back: marks are changed in the held rows only.
    QObject::connect(m_list.get(), &Dataset::currentChanged, m_lines.get(), [this] { followList(); });
    // The postal code as it is written on an envelope: seven digits, the
    // leading zeros kept, no hyphen.
    m_list->addCalculatedField(PostalCodeText, [](const RowRef& row) -> QVariant {
        return Formats::postalCodeText(row.value(QStringLiteral("郵便番号")));
    });
    // The mark as the grid shows it: a negative value reads "はい".
    m_list->addCalculatedField(MarkText, [](const RowRef& row) -> QVariant {
        return row.field(QStringLiteral("請求書印刷")).asInt() < 0 ? QStringLiteral("はい")
                                                                   : QStringLiteral("いいえ");
    });
}

QList<ColumnSpec> BillComputation::listColumns()
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr auto balance = DisplayFormat::Balance;
    return {
        {QStringLiteral("顧客コード"), {}, 93, left},
        {QStringLiteral("顧客名"), {}, 160, left},
        {QStringLiteral("前月迄売掛残高"), QStringLiteral("前月繰越残高"), 100, right, balance},
        {QStringLiteral("今月以降入金額"), {}, 100, right, balance},
        {QStringLiteral("今月掛売合計"), {}, 100, right, balance},
        {QStringLiteral("今月請求額"), {}, 100, right, balance},
        {MarkText, QStringLiteral("印刷"), 60, Qt::AlignHCenter | Qt::AlignVCenter},
    };
}

QList<ColumnSpec> BillComputation::lineColumns()
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr auto money = DisplayFormat::Money;
    return {
        {QStringLiteral("売上年月日"), {}, 87, left, DisplayFormat::Date},
        {QStringLiteral("伝票番号"), {}, 60, right, DisplayFormat::Integer},
        {QStringLiteral("商品名"), {}, 228, left},
        {QStringLiteral("単価"), {}, 55, right, money},
        {QStringLiteral("税額"), {}, 55, right, money},
        {QStringLiteral("数量"), {}, 55, right, DisplayFormat::Quantity},
        {QStringLiteral("単位"), {}, 55, left},
        {QStringLiteral("金額"), {}, 55, right, money},
    };
}

std::unique_ptr<Dataset> BillComputation::companyDataset(Connection& connection)
{
    auto company = std::make_unique<Dataset>(connection, QStringLiteral("SELECT * FROM m_自社情報"));
    company->setObjectName(QStringLiteral("CompanyDataSet"));
    company->addCalculatedField(PostalCodeText, [](const RowRef& row) -> QVariant {
        return Formats::postalCodeText(row.value(QStringLiteral("郵便番号")));
    });
    return company;
}

BillComputation::~BillComputation() = default;

QString BillComputation::listQueryText()
{
    return QString::fromUtf8(kListQuery).trimmed();
}

QString BillComputation::lineQueryText()
{
    return QString::fromUtf8(kLineQuery).trimmed();
}

BillPeriod BillComputation::period(int year, int month, int closingDay)
{
    if (year < MinYear || year > MaxYear)
        throw std::invalid_argument(QStringLiteral("年は%1から%2までの数字で入力してください。")
                                        .arg(MinYear)
                                        .arg(MaxYear)
                                        .toStdString());
    if (month < 1 || month > 12)
        throw std::invalid_argument(QStringLiteral("月は1から12までです。").toStdString());
    if (closingDay < 1 || closingDay > MonthEnd)
        throw std::invalid_argument(QStringLiteral("締日は1日から31日まで、または月末です。").toStdString());
    const QDate first(year, month, 1);
    if (closingDay <= first.daysInMonth()) {
        // QDate::addMonths keeps the day where it can and cuts it to the last
        // day of a shorter month: 2004-03-30 less a month is 2004-02-29.
        const QDate closing(year, month, closingDay);
        return {closing.addMonths(-1).addDays(1), closing.addDays(1)};
    }
    return {first, first.addMonths(1)};
}

int BillComputation::yearFromText(const QString& text)
{
    const QString typed = text.trimmed();
    int year = 0;
    bool digits = !typed.isEmpty() && typed.size() <= 4;
    for (const QChar ch : typed) {
        const int d = ch.digitValue();
        if (d < 0) {
            digits = false;
            break;
        }
        year = year * 10 + d;
    }
    if (!digits || year < MinYear || year > MaxYear)
        throw std::invalid_argument(
            QStringLiteral("年「%1」は正しくありません。%2から%3までの数字で入力してください。")
                .arg(typed)
                .arg(MinYear)
                .arg(MaxYear)
                .toStdString());
    return year;
}

BillPeriod BillComputation::build(int year, int month, int closingDay)
{
    m_list->close();
    m_lines->close();
    m_period = {};
    const BillPeriod p = period(year, month, closingDay);
    try {
        Dataset& list = *m_list;
        list.setFiltered(false);
        list.setParam(QStringLiteral("SalesPrevSumDateTo"), p.start);
        list.setParam(QStringLiteral("ReceivePrevSumDateTo"), p.start);
        list.setParam(QStringLiteral("ReceiveSumDateFrom"), p.start);
        list.setParam(QStringLiteral("SalesSumDateFrom"), p.start);
        list.setParam(QStringLiteral("SalesSumDateTo"), Period::exclusiveEnd(p.end));
        list.setParam(QStringLiteral("ClosingDay"), closingDay);
        // A bill shows whole yen, halves away from zero: an amount that shows
        // as ¥0 (less than half a yen) is no bill; half a yen is ¥1.
        list.setParam(QStringLiteral("BilledAbove"),
                      QVariant::fromValue(Money::fromRaw(Money::Scale / 2 - 1)));
        m_lines->setParam(QStringLiteral("SalesSumDateFrom"), p.start);
        m_lines->setParam(QStringLiteral("SalesSumDateTo"), Period::exclusiveEnd(p.end));
        m_period = p;
        list.open();
        list.first();
        followList();
    } catch (...) {
        m_list->close();
        m_lines->close();
        m_period = {};
        throw;
    }
    return p;
}

void BillComputation::followList()
{
    if (!m_period.start.isValid())
        return;
    Dataset& list = *m_list;
    const QVariant code = list.isOpen() && list.currentRow() >= 0 ? list.field(kCode).value() : QVariant();
    if (m_lines->isOpen() && code == m_linesCustomer)
        return;
    m_lines->close();
    m_lines->setParam(kCode, code);
    m_linesCustomer = code;
    m_lines->open();
    m_lines->first();
}

void BillComputation::toggleMark()
{
    Dataset& list = *m_list;
    if (!list.isOpen() || list.currentRow() < 0)
        return;
    list.edit();
    list.setValue(kMark, list.field(kMark).asInt() < 0 ? 0 : -1);
    list.post();
}

void BillComputation::showMarkedOnly(bool on)
{
    Dataset& list = *m_list;
    if (!list.isOpen())
        return;
    list.setFilter(on ? RowPredicate(isMarked) : RowPredicate());
    list.setFiltered(on);
    list.first();
}
