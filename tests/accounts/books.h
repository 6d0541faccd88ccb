#pragma once

// Writes partners and slips for the ledger and balance-list tests, on the
// customer side (sales, receipts) or the supplier side (purchases, payments).

#include <QList>
#include <QString>
#include <QVariant>

#include "connection.h"
#include "money.h"
#include "statement.h"

struct BookSide {
    QString partnerTable, partnerColumn, partnerName;
    QString goodsHeader, goodsLines, goodsDate, goodsKind;
    QString moneyHeader, moneyLines, moneyDate;
};

inline const BookSide kCustomerSide{"m_顧客",     "顧客コード",     "顧客名", "t_売上",     "t_売上明細",
                                    "売上年月日", "売上区分コード", "t_入金", "t_入金明細", "入金年月日"};
inline const BookSide kSupplierSide{"m_仕入先",   "仕入先コード",   "仕入先名", "t_仕入",     "t_仕入明細",
                                    "仕入年月日", "仕入区分コード", "t_支払",   "t_支払明細", "支払年月日"};

struct GoodsLine {
    Money price, tax, quantity;
    QString item = QStringLiteral("I1");
    QString name = QStringLiteral("品物");
};

class Books {
public:
    Books(Connection& connection, const BookSide& side) : m_c(connection), m_side(side) {}

    static inline const QString Credit = QStringLiteral("10");
    static inline const QString Cash = QStringLiteral("20");

    void partner(const QString& code, const QString& name = QStringLiteral("取引先"))
    {
        exec(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                 .arg(m_side.partnerTable, m_side.partnerColumn, m_side.partnerName),
             {code, name});
    }

    // `date` is a QDate or stored text such as "2024-03-31 13:45:00"; a null
    // partner is a slip without one.
    void goods(int no, const QVariant& date, const QString& kind, const QVariant& partner,
               const QList<GoodsLine>& lines)
    {
        exec(QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3, %4) VALUES (?, ?, ?, ?)")
                 .arg(m_side.goodsHeader, m_side.goodsDate, m_side.goodsKind, m_side.partnerColumn),
             {no, date, kind, partner});
        int n = 0;
        for (const GoodsLine& l : lines)
            exec(QStringLiteral("INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 商品名, 商品分類コード, "
                                "税区分コード, 単価, 税額, 数量) VALUES (?, ?, ?, ?, 'C1', '01', ?, ?, ?)")
                     .arg(m_side.goodsLines),
                 {no, ++n, l.item, l.name, QVariant::fromValue(l.price), QVariant::fromValue(l.tax),
                  QVariant::fromValue(l.quantity)});
    }

    // A goods slip of one line at quantity 1 and no tax: its total is `amount`.
    void goods(int no, const QVariant& date, const QString& kind, const QVariant& partner, Money amount)
    {
        goods(no, date, kind, partner, {GoodsLine{amount, Money(), Money::fromYen(1)}});
    }

    void money(int no, const QVariant& date, const QVariant& partner, const QList<Money>& amounts,
               const QString& lineClass = QStringLiteral("20"))
    {
        exec(QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3) VALUES (?, ?, ?)")
                 .arg(m_side.moneyHeader, m_side.moneyDate, m_side.partnerColumn),
             {no, date, partner});
        int n = 0;
        for (const Money& amount : amounts)
            exec(QStringLiteral(
                     "INSERT INTO %1 (伝票番号, 明細番号, 区分コード, 金額, 摘要) VALUES (?, ?, ?, ?, ?)")
                     .arg(m_side.moneyLines),
                 {no, ++n, lineClass, QVariant::fromValue(amount), QStringLiteral("摘要")});
    }

private:
    void exec(const QString& sql, const QVariantList& params)
    {
        Statement s(m_c, sql);
        for (int i = 0; i < params.size(); ++i)
            s.bind(i + 1, params[i]);
        s.run();
    }

    Connection& m_c;
    const BookSide& m_side;
};

inline Money yen(std::int64_t amount)
{
    return Money::fromYen(amount);
}
