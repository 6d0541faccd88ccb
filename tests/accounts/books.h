#pragma once

// Writes partners and slips for the ledger and balance-list tests, on the
// customer side (sales, receipts) or the supplier side (purchases, payments).

#include <QList>
#include <QString>
#include <QVariant>

#include "connection.h"
#include "money.h"
#include "partnerside.h"
#include "statement.h"
#include "testhelp.h"

// The side the books are written on: the customers (sales, receipts) or the
// suppliers (purchases, payments).
using BookSide = PartnerSide;
inline const BookSide& kCustomerSide = PartnerSide::customer();
inline const BookSide& kSupplierSide = PartnerSide::supplier();

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
        execute(m_c,
                QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                    .arg(m_side.table, m_side.codeColumn, m_side.nameColumn),
                {code, name});
    }

    // `date` is a QDate or stored text such as "2024-03-31 13:45:00"; a null
    // partner is a slip without one.
    void goods(int no, const QVariant& date, const QString& kind, const QVariant& partner,
               const QList<GoodsLine>& lines)
    {
        execute(
            m_c,
            QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3, %4) VALUES (?, ?, ?, ?)")
                .arg(m_side.goodsTable, m_side.goodsDateColumn, m_side.goodsClassColumn, m_side.codeColumn),
            {no, date, kind, partner});
        int n = 0;
        for (const GoodsLine& l : lines)
            execute(m_c,
                    QStringLiteral("INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 商品名, 商品分類コード, "
                                   "税区分コード, 単価, 税額, 数量) VALUES (?, ?, ?, ?, 'C1', '01', ?, ?, ?)")
                        .arg(m_side.goodsLineTable),
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
        execute(m_c,
                QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3) VALUES (?, ?, ?)")
                    .arg(m_side.moneyTable, m_side.moneyDateColumn, m_side.codeColumn),
                {no, date, partner});
        int n = 0;
        for (const Money& amount : amounts)
            execute(m_c,
                    QStringLiteral(
                        "INSERT INTO %1 (伝票番号, 明細番号, 区分コード, 金額, 摘要) VALUES (?, ?, ?, ?, ?)")
                        .arg(m_side.moneyLineTable),
                    {no, ++n, lineClass, QVariant::fromValue(amount), QStringLiteral("摘要")});
    }

private:
    Connection& m_c;
    const BookSide& m_side;
};
