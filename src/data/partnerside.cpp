#include "partnerside.h"

const PartnerSide& PartnerSide::customer()
{
    static const PartnerSide side{
        .isCustomer = true,
        .label = QStringLiteral("顧客"),
        .objectStem = QStringLiteral("Customer"),
        .table = QStringLiteral("m_顧客"),
        .codeColumn = QStringLiteral("顧客コード"),
        .nameColumn = QStringLiteral("顧客名"),
        .kanaColumn = QStringLiteral("顧客名カナ"),
        .goodsTable = QStringLiteral("t_売上"),
        .goodsLineTable = QStringLiteral("t_売上明細"),
        .goodsView = QStringLiteral("v_売上"),
        .goodsLineView = QStringLiteral("v_売上明細"),
        .goodsDateColumn = QStringLiteral("売上年月日"),
        .goodsClassColumn = QStringLiteral("売上区分コード"),
        .goodsClassTable = QStringLiteral("m_売上区分"),
        .goodsClassLabel = QStringLiteral("売上区分"),
        .moneyTable = QStringLiteral("t_入金"),
        .moneyLineTable = QStringLiteral("t_入金明細"),
        .moneyView = QStringLiteral("v_入金"),
        .moneyLineView = QStringLiteral("v_入金明細"),
        .moneyDateColumn = QStringLiteral("入金年月日"),
        .moneyLineClassTable = QStringLiteral("m_入金明細区分"),
        .moneyLineClassKey = QStringLiteral("入金区分コード"),
    };
    return side;
}

const PartnerSide& PartnerSide::supplier()
{
    static const PartnerSide side{
        .isCustomer = false,
        .label = QStringLiteral("仕入先"),
        .objectStem = QStringLiteral("Supplier"),
        .table = QStringLiteral("m_仕入先"),
        .codeColumn = QStringLiteral("仕入先コード"),
        .nameColumn = QStringLiteral("仕入先名"),
        .kanaColumn = QStringLiteral("仕入先名カナ"),
        .goodsTable = QStringLiteral("t_仕入"),
        .goodsLineTable = QStringLiteral("t_仕入明細"),
        .goodsView = QStringLiteral("v_仕入"),
        .goodsLineView = QStringLiteral("v_仕入明細"),
        .goodsDateColumn = QStringLiteral("仕入年月日"),
        .goodsClassColumn = QStringLiteral("仕入区分コード"),
        .goodsClassTable = QStringLiteral("m_仕入区分"),
        .goodsClassLabel = QStringLiteral("仕入区分"),
        .moneyTable = QStringLiteral("t_支払"),
        .moneyLineTable = QStringLiteral("t_支払明細"),
        .moneyView = QStringLiteral("v_支払"),
        .moneyLineView = QStringLiteral("v_支払明細"),
        .moneyDateColumn = QStringLiteral("支払年月日"),
        .moneyLineClassTable = QStringLiteral("m_支払明細区分"),
        .moneyLineClassKey = QStringLiteral("支払区分コード"),
    };
    return side;
}

QString masterRowQuery(const QString& table, const QString& codeColumn)
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = :Code").arg(table, codeColumn);
}

QString PartnerSide::rowByCodeQuery() const
{
    return masterRowQuery(table, codeColumn);
}

QString PartnerSide::fillNames(QString sql, std::initializer_list<std::pair<const char*, QString>> own) const
{
    const std::pair<const char*, QString> names[] = {
        {"{PartnerTable}", table},        {"{Partner}", codeColumn},  {"{PartnerName}", nameColumn},
        {"{Slips}", goodsView},           {"{Lines}", goodsLineView}, {"{SlipKind}", goodsClassColumn},
        {"{SlipDate}", goodsDateColumn},  {"{Money}", moneyView},     {"{MoneyLines}", moneyLineView},
        {"{MoneyDate}", moneyDateColumn},
    };
    for (const auto& [token, value] : names)
        sql.replace(QLatin1String(token), value);
    for (const auto& [token, value] : own)
        sql.replace(QLatin1String(token), value);
    return sql;
}
