#include "masterlookup.h"

#include "partnerside.h"

#include "dataset.h"

namespace MasterLookup {

namespace {
const QString TelColumn = QStringLiteral("電話番号");
}

QString containing(const QString& text)
{
    return u'%' + text + u'%';
}

void prepareItemSearch(Dataset& result, const ItemCriteria& criteria)
{
    QString sql = QStringLiteral(
        "SELECT * FROM m_商品 "
        " WHERE (商品コード LIKE :Code) "
        "   AND (商品名 LIKE :Name OR 商品名 IS NULL) "
        "   AND (商品名カナ LIKE :Kana OR 商品名カナ IS NULL) ");
    const bool byCategory = criteria.category.isValid() && !criteria.category.isNull();
    if (byCategory)
        sql += QStringLiteral(" AND (商品分類コード = :Category) ");
    sql += QStringLiteral(" ORDER BY 商品コード");
    result.setSql(sql);
    result.setParam(QStringLiteral("Code"), containing(criteria.code));
    result.setParam(QStringLiteral("Name"), containing(criteria.name));
    result.setParam(QStringLiteral("Kana"), containing(criteria.kana));
    if (byCategory)
        result.setParam(QStringLiteral("Category"), criteria.category.toString());
}

void preparePartnerSearch(Dataset& result, const PartnerSide& side, const PartnerCriteria& criteria)
{
    // Table and column names are the program's own constants, never typed text.
    result.setSql(QStringLiteral("SELECT * FROM %1"
                                 " WHERE %2 LIKE :Code"
                                 " AND (%3 LIKE :Name OR %3 IS NULL)"
                                 " AND (%4 LIKE :Kana OR %4 IS NULL)"
                                 " AND (%5 LIKE :Tel OR %5 IS NULL)"
                                 " ORDER BY %2")
                      .arg(side.table, side.codeColumn, side.nameColumn, side.kanaColumn, TelColumn));
    result.setParam(QStringLiteral("Code"), containing(criteria.code));
    result.setParam(QStringLiteral("Name"), containing(criteria.name));
    result.setParam(QStringLiteral("Kana"), containing(criteria.kana));
    result.setParam(QStringLiteral("Tel"), containing(criteria.tel));
}

const ListNames& ListNames::itemCategory()
{
    static const ListNames names{QStringLiteral("m_商品分類"), QStringLiteral("商品分類コード"),
                                 QStringLiteral("分類名")};
    return names;
}

const ListNames& ListNames::employee()
{
    static const ListNames names{QStringLiteral("m_担当者"), QStringLiteral("担当者コード"),
                                 QStringLiteral("担当者名")};
    return names;
}

void prepareList(Dataset& result, const ListNames& names)
{
    result.setSql(QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(names.table, names.codeColumn));
}

QString itemCategoriesSql()
{
    // In code order, as the engine's key order would give it.
    return QStringLiteral("SELECT * FROM m_商品分類 ORDER BY 商品分類コード");
}

}  // namespace MasterLookup
