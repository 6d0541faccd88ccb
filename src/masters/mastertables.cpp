#include "mastertables.h"

#include "partnerside.h"

namespace MasterTables {

namespace {

// Text widths of the columns the store fixes. Columns the program leaves open
// (kana readings, short names, the category name) are not limited by the field:
// the store refuses a value that is too long when the row is saved.
constexpr int NameWidth = 50;

PickListQuery taxClasses()
{
    return {QStringLiteral("SELECT * FROM m_税区分 ORDER BY 税区分コード"), QStringLiteral("税区分コード"),
            QStringLiteral("税区分名")};
}

// The fields that customers and suppliers share: the name (expected to be
// filled, hence " *"), kana, postal code, address, telephone, fax and mail.
QList<FieldSpec> partnerFields(const QString& prefix)
{
    const QString name = prefix + QStringLiteral("名");
    return {
        {name + QStringLiteral(" *"), name, FieldKind::Text, NameWidth, -1, true},
        {name + QStringLiteral("カナ"), name + QStringLiteral("カナ"), FieldKind::Text, NameWidth},
        {QStringLiteral("郵便番号"), QStringLiteral("郵便番号"), FieldKind::PostalCode},
        {QStringLiteral("住所"), QStringLiteral("住所"), FieldKind::Text, NameWidth},
        {QStringLiteral("電話番号"), QStringLiteral("電話番号"), FieldKind::Text, NameWidth},
        {QStringLiteral("FAX番号"), QStringLiteral("FAX番号"), FieldKind::Text, NameWidth},
        {QStringLiteral("E-Mail"), QStringLiteral("E-mail"), FieldKind::Text, NameWidth},
    };
}

}  // namespace

QString EditorSpec::recordSql() const
{
    return masterRowQuery(table, codeColumn);
}

QString EditorSpec::codeLabel() const
{
    return codeColumn + QStringLiteral(" *");
}

const EditorSpec& item()
{
    static const EditorSpec spec{
        QStringLiteral("商品台帳"),
        QStringLiteral("m_商品"),
        QStringLiteral("商品コード"),
        13,
        QStringLiteral("ItemDataSet"),
        {
            {QStringLiteral("SELECT * FROM m_商品分類 ORDER BY 商品分類コード"),
             QStringLiteral("商品分類コード"), QStringLiteral("分類名")},
            {QStringLiteral("SELECT * FROM m_単位 ORDER BY 単位コード"), QStringLiteral("単位"), QString()},
            taxClasses(),
        },
        {
            {QStringLiteral("商品名"), QStringLiteral("商品名"), FieldKind::Text, NameWidth, -1, true},
            {QStringLiteral("商品名カナ"), QStringLiteral("商品名カナ")},
            {QStringLiteral("略称ｶﾅ"), QStringLiteral("略称ｶﾅ")},
            {QStringLiteral("分類 *"), QStringLiteral("商品分類コード"), FieldKind::PickList, 0, 0, true},
            {QStringLiteral("税区分"), QStringLiteral("税区分コード"), FieldKind::PickList, 0, 2},
            {QStringLiteral("単位"), QStringLiteral("単位"), FieldKind::TextWithList, 8, 1},
            {QStringLiteral("単価"), QStringLiteral("単価"), FieldKind::Price},
            {QStringLiteral("原価"), QStringLiteral("原価"), FieldKind::Price},
        },
        {{QStringLiteral("税区分コード"), QStringLiteral("01")}},
    };
    return spec;
}

const EditorSpec& itemCategory()
{
    static const EditorSpec spec{
        QStringLiteral("商品分類台帳"),
        QStringLiteral("m_商品分類"),
        QStringLiteral("商品分類コード"),
        4,
        QStringLiteral("ItemCategoDataSet"),
        {taxClasses()},
        {
            {QStringLiteral("分類名"), QStringLiteral("分類名")},
            {QStringLiteral("略称ｶﾅ"), QStringLiteral("略称ｶﾅ")},
            {QStringLiteral("税区分"), QStringLiteral("税区分コード"), FieldKind::PickList, 0, 0},
        },
        {{QStringLiteral("税区分コード"), QStringLiteral("01")}},
    };
    return spec;
}

EditorSpec partnerSpec(const PartnerSide& side)
{
    return {side.label + QStringLiteral("台帳"),
            side.table,
            side.codeColumn,
            13,
            side.objectName({}, QStringLiteral("DataSet")),
            {},
            partnerFields(side.label),
            {}};
}

const EditorSpec& customer()
{
    static const EditorSpec spec = [] {
        EditorSpec s = partnerSpec(PartnerSide::customer());
        s.fields.append({QStringLiteral("締日"), QStringLiteral("締日"), FieldKind::ClosingDay});
        return s;
    }();
    return spec;
}

const EditorSpec& supplier()
{
    static const EditorSpec spec = partnerSpec(PartnerSide::supplier());
    return spec;
}

const EditorSpec& employee()
{
    static const EditorSpec spec{
        QStringLiteral("担当者台帳"),
        QStringLiteral("m_担当者"),
        QStringLiteral("担当者コード"),
        2,
        QStringLiteral("EmployeeDataSet"),
        {},
        {{QStringLiteral("担当者名"), QStringLiteral("担当者名"), FieldKind::Text, NameWidth, -1, true}},
        {}};
    return spec;
}

QList<std::pair<int, QString>> closingDays()
{
    QList<std::pair<int, QString>> days;
    for (int day = 1; day <= 31; ++day)
        days.append({day, QStringLiteral("%1日").arg(day, 2, 10, QLatin1Char('0'))});
    days.append({32, QStringLiteral("月末")});
    return days;
}

}  // namespace MasterTables
