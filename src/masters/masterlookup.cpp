#include "masterlookup.h"

#include "dataset.h"

namespace MasterLookup {

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

const PartnerNames& PartnerNames::customer()
{
    static const PartnerNames names{QStringLiteral("m_顧客"), QStringLiteral("顧客コード"),
                                    QStringLiteral("顧客名"), QStringLiteral("顧客名カナ"),
                                    QStringLiteral("電話番号")};
    return names;
}

const PartnerNames& PartnerNames::supplier()
{
    static const PartnerNames names{QStringLiteral("m_仕入先"), QStringLiteral("仕入先コード"),
                                    QStringLiteral("仕入先名"), QStringLiteral("仕入先名カナ"),
                                    QStringLiteral("電話番号")};
    return names;
}

void preparePartnerSearch(Dataset& result, const PartnerNames& names, const PartnerCriteria& criteria)
{
    // Table and column names are the program's own constants, never typed text.
    result.setSql(
        QStringLiteral("SELECT * FROM %1"
                       " WHERE %2 LIKE :Code"
                       " AND (%3 LIKE :Name OR %3 IS NULL)"
                       " AND (%4 LIKE :Kana OR %4 IS NULL)"
                       " AND (%5 LIKE :Tel OR %5 IS NULL)"
                       " ORDER BY %2")
            .arg(names.table, names.codeColumn, names.nameColumn, names.kanaColumn, names.telColumn));
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
