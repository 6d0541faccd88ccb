#pragma once

// The slips the detail-list tests read, written on either side. Over March 2024:
//   no  date                  partner  lines (item code, name, price, tax, quantity)
//    2  2024-02-29            C1       I1 (before the period)
//    3  2024-03-01            none     I1 りんご 1000 x1
//    4  2024-03-31 09:00:00   C2       none (a slip without lines, on the last day)
//    9  2024-03-31            C1       X9 外品 50 x1 (no such item), I1 りんご 100+10 x1
//   10  2024-03-31            C1       I1 りんご 100+10 x2, no code 手書き 30 x1, I2 名無 20 x1
//   12  2024-03-15            C9       "" 空 5 x1 (C9 is not in the master)
//   20  2024-04-01            C1       I1 (after the period)
// Items: I1 りんご, I2 without a name. Partners: C1 一, C2 二.

#include <QDate>
#include <QVariant>

#include "connection.h"
#include "money.h"
#include "partnerside.h"
#include "statement.h"
#include "testhelp.h"

namespace ListBooks {

inline void exec(Connection& c, const QString& sql, const QVariantList& params)
{
    Statement s(c, sql);
    for (int i = 0; i < params.size(); ++i)
        s.bind(i + 1, params[i]);
    s.run();
}

struct Line {
    QVariant item;  // a null QVariant for a line without an item code
    QString name;
    qint64 price, tax, quantity;
};

inline void slip(Connection& c, const PartnerSide& side, int no, const QString& date, const QVariant& partner,
                 const QList<Line>& lines)
{
    exec(c,
         QStringLiteral("INSERT INTO %1 (伝票番号, %2, %3, %4) VALUES (?, ?, '10', ?)")
             .arg(side.goodsTable, side.goodsDateColumn, side.goodsClassColumn, side.codeColumn),
         {no, date, partner});
    int n = 0;
    for (const Line& l : lines)
        exec(c,
             QStringLiteral(
                 "INSERT INTO %1 (伝票番号, 明細番号, 商品コード, 商品名, 税区分コード, 単価, 税額, "
                 "数量) VALUES (?, ?, ?, ?, '01', ?, ?, ?)")
                 .arg(side.goodsLineTable),
             {no, ++n, l.item, l.name, QVariant::fromValue(yen(l.price)), QVariant::fromValue(yen(l.tax)),
              QVariant::fromValue(yen(l.quantity))});
}

inline void write(Connection& c, const PartnerSide& side)
{
    exec(c, QStringLiteral("INSERT INTO m_商品 (商品コード, 商品名) VALUES ('I1', 'りんご'), ('I2', NULL)"),
         {});
    exec(c,
         QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ('C1', '一'), ('C2', '二')")
             .arg(side.table, side.codeColumn, side.nameColumn),
         {});
    const QVariant none;
    slip(c, side, 2, "2024-02-29", "C1", {{"I1", "りんご", 7, 0, 1}});
    slip(c, side, 3, "2024-03-01", none, {{"I1", "りんご", 1000, 0, 1}});
    slip(c, side, 4, "2024-03-31 09:00:00", "C2", {});
    slip(c, side, 9, "2024-03-31", "C1", {{"X9", "外品", 50, 0, 1}, {"I1", "りんご", 100, 10, 1}});
    slip(c, side, 10, "2024-03-31", "C1",
         {{"I1", "りんご", 100, 10, 2}, {none, "手書き", 30, 0, 1}, {"I2", "名無", 20, 0, 1}});
    slip(c, side, 12, "2024-03-15", "C9", {{"", "空", 5, 0, 1}});
    slip(c, side, 20, "2024-04-01", "C1", {{"I1", "りんご", 9, 0, 1}});
}

}  // namespace ListBooks
