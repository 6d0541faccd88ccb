#pragma once

// Writes masters and slips for the summary tests.

#include <QList>
#include <QString>
#include <QVariant>

#include "connection.h"
#include "money.h"
#include "statement.h"
#include "testhelp.h"

struct SummaryLine {
    QVariant item;  // an invalid QVariant writes a line without an item code
    int yen;        // price per piece, tax included; one piece unless told
    int pieces = 1;
};

struct SummarySlip {
    bool sale;
    QString date;      // stored text: "2024-03-31" or "2024-03-31 23:59:59"
    QVariant partner;  // customer or supplier code
    QVariant staff;
    QList<SummaryLine> lines;
};

class SummaryBooks {
public:
    explicit SummaryBooks(Connection& connection) : m_c(connection) {}

    // `table` m_商品, m_顧客, m_仕入先 or m_担当者, with its code and name columns.
    void master(const QString& table, const QString& code, const QString& name)
    {
        const QString prefix = table.mid(2);
        execute(m_c, QStringLiteral("INSERT INTO %1 (%2コード, %2名) VALUES (?, ?)").arg(table, prefix),
                {code, name});
    }

    void slip(const SummarySlip& s)
    {
        const int no = ++m_no;
        if (s.sale)
            execute(m_c,
                    QStringLiteral(
                        "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード, 顧客コード, 担当者コード)"
                        " VALUES (?, ?, '10', ?, ?)"),
                    {no, s.date, s.partner, s.staff});
        else
            execute(
                m_c,
                QStringLiteral(
                    "INSERT INTO t_仕入 (伝票番号, 仕入年月日, 仕入区分コード, 仕入先コード, 担当者コード)"
                    " VALUES (?, ?, '10', ?, ?)"),
                {no, s.date, s.partner, s.staff});
        int n = 0;
        for (const SummaryLine& l : s.lines)
            execute(
                m_c,
                QStringLiteral(
                    "INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 商品名, 税区分コード, 単価, 税額, 数量)"
                    " VALUES (?, ?, ?, '品物', '01', ?, 0, ?)")
                    .arg(s.sale ? QStringLiteral("t_売上明細") : QStringLiteral("t_仕入明細")),
                {no, ++n, l.item, QVariant::fromValue(Money::fromYen(l.yen)),
                 QVariant::fromValue(Money::fromYen(l.pieces))});
    }

private:
    Connection& m_c;
    int m_no = 0;
};
