#include "masterreferences.h"

#include <QList>

#include "partnerside.h"
#include "statement.h"

namespace MasterReferences {

namespace {

struct Referrer {
    QString table;
    QString column;
};

struct Referenced {
    QString table;
    QString noun;             // 顧客
    QList<Referrer> slips;    // slip headers and lines
    QList<Referrer> masters;  // other master rows
    QString mastersCaption;   // where the master rows are kept: 商品台帳
};

// A customer or supplier is referred to by the headers of its side's goods and money slips.
Referenced partner(const PartnerSide& side)
{
    return {side.table,
            side.label,
            {{side.goodsTable, side.codeColumn}, {side.moneyTable, side.codeColumn}},
            {},
            {}};
}

const QList<Referenced>& referenced()
{
    static const QList<Referenced> all{
        partner(PartnerSide::customer()),
        partner(PartnerSide::supplier()),
        {QStringLiteral("m_商品"),
         QStringLiteral("商品"),
         {{QStringLiteral("t_売上明細"), QStringLiteral("商品コード")},
          {QStringLiteral("t_仕入明細"), QStringLiteral("商品コード")}},
         {},
         {}},
        {QStringLiteral("m_商品分類"),
         QStringLiteral("商品分類"),
         {{QStringLiteral("t_売上明細"), QStringLiteral("商品分類コード")},
          {QStringLiteral("t_仕入明細"), QStringLiteral("商品分類コード")}},
         {{QStringLiteral("m_商品"), QStringLiteral("商品分類コード")}},
         QStringLiteral("商品台帳")},
        {QStringLiteral("m_担当者"),
         QStringLiteral("担当者"),
         {{QStringLiteral("t_売上"), QStringLiteral("担当者コード")},
          {QStringLiteral("t_仕入"), QStringLiteral("担当者コード")}},
         {},
         {}},
    };
    return all;
}

bool anyRow(Connection& connection, const QList<Referrer>& referrers, const QString& code)
{
    for (const Referrer& r : referrers) {
        // The table and column are the program's own names; the code is a parameter.
        Statement query(connection,
                        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = :Code LIMIT 1").arg(r.table, r.column));
        query.bind(QStringLiteral(":Code"), code);
        if (query.step())
            return true;
    }
    return false;
}

}  // namespace

QString deleteRefusal(Connection& connection, const QString& table, const QString& code)
{
    for (const Referenced& master : referenced()) {
        if (master.table != table)
            continue;
        if (anyRow(connection, master.slips, code))
            return QStringLiteral("この%1は伝票で使われているため削除できません。").arg(master.noun);
        if (anyRow(connection, master.masters, code))
            return QStringLiteral("この%1は%2で使われているため削除できません。")
                .arg(master.noun, master.mastersCaption);
    }
    return {};
}

}  // namespace MasterReferences
