#pragma once

// Writes items, purchases and sales for the stock list and item ledger tests.

#include <QList>
#include <QString>
#include <QVariant>

#include "connection.h"
#include "money.h"
#include "statement.h"
#include "testhelp.h"

struct ItemLine {
    QVariant item;  // an invalid QVariant writes a line without an item code
    Money quantity;
    Money price = Money::fromYen(100);
    Money tax = Money::fromYen(10);
};

class StockBooks {
public:
    explicit StockBooks(Connection& connection) : m_c(connection) {}

    void item(const QString& code, const QString& name = QStringLiteral("品物"))
    {
        execute(m_c, QStringLiteral("INSERT INTO m_商品 (商品コード, 商品名) VALUES (?, ?)"), {code, name});
    }
    void customer(const QString& code, const QString& name)
    {
        execute(m_c, QStringLiteral("INSERT INTO m_顧客 (顧客コード, 顧客名) VALUES (?, ?)"), {code, name});
    }
    void supplier(const QString& code, const QString& name)
    {
        execute(m_c, QStringLiteral("INSERT INTO m_仕入先 (仕入先コード, 仕入先名) VALUES (?, ?)"),
                {code, name});
    }

    // `date` is a QDate or stored text such as "2024-03-31 23:59:59".
    void purchase(int no, const QVariant& date, const QList<ItemLine>& lines, const QVariant& supplier = {})
    {
        slip(QStringLiteral("t_仕入"), QStringLiteral("仕入年月日"), QStringLiteral("仕入区分コード"),
             QStringLiteral("仕入先コード"), QStringLiteral("t_仕入明細"), no, date, lines, supplier);
    }
    void sale(int no, const QVariant& date, const QList<ItemLine>& lines, const QVariant& customer = {})
    {
        slip(QStringLiteral("t_売上"), QStringLiteral("売上年月日"), QStringLiteral("売上区分コード"),
             QStringLiteral("顧客コード"), QStringLiteral("t_売上明細"), no, date, lines, customer);
    }

private:
    void slip(const QString& table, const QString& dateColumn, const QString& classColumn,
              const QString& partnerColumn, const QString& lineTable, int no, const QVariant& date,
              const QList<ItemLine>& lines, const QVariant& partner)
    {
        execute(m_c,
                QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3, %4) VALUES (?, ?, '10', ?)")
                    .arg(table, dateColumn, classColumn, partnerColumn),
                {no, date, partner});
        int n = 0;
        for (const ItemLine& l : lines)
            execute(
                m_c,
                QStringLiteral("INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 商品名, 税区分コード, 単価, "
                               "税額, 数量) VALUES (?, ?, ?, '品物', '01', ?, ?, ?)")
                    .arg(lineTable),
                {no, ++n, l.item, QVariant::fromValue(l.price), QVariant::fromValue(l.tax),
                 QVariant::fromValue(l.quantity)});
    }

    Connection& m_c;
};

// A quantity from its text, "2", "-1.5", "0.0001".
inline Money qty(const char* text)
{
    return Money::parse(QString::fromUtf8(text));
}
