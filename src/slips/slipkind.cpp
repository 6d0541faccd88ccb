#include "slipkind.h"

#include <QStringList>

namespace {

SlipKind customerSide(SlipKind kind)
{
    kind.partner = SlipKind::Partner::Customer;
    kind.partnerField = QStringLiteral("顧客コード");
    kind.partnerTable = QStringLiteral("m_顧客");
    kind.partnerNameField = QStringLiteral("顧客名");
    kind.partnerDataSetName = QStringLiteral("CustomerDataSet");
    kind.partnerEditName = QStringLiteral("DBComboEditCustomer");
    kind.partnerTextName = QStringLiteral("DBTextCustomerName");
    kind.searchPartnerEditName = QStringLiteral("ComboEditCustomer");
    return kind;
}

SlipKind supplierSide(SlipKind kind)
{
    kind.partner = SlipKind::Partner::Supplier;
    kind.partnerField = QStringLiteral("仕入先コード");
    kind.partnerTable = QStringLiteral("m_仕入先");
    kind.partnerNameField = QStringLiteral("仕入先名");
    kind.partnerDataSetName = QStringLiteral("SupplierDataSet");
    kind.partnerEditName = QStringLiteral("DBComboEditSupplier");
    kind.partnerTextName = QStringLiteral("DBTextSupplierName");
    kind.searchPartnerEditName = QStringLiteral("ComboEditSupplier");
    return kind;
}

SlipKind makeSales()
{
    SlipKind k{};
    k.lines = SlipKind::Lines::Goods;
    k.headerTable = QStringLiteral("t_売上");
    k.lineTable = QStringLiteral("t_売上明細");
    k.view = QStringLiteral("v_売上");
    k.dateField = QStringLiteral("売上年月日");
    k.classField = QStringLiteral("売上区分コード");
    k.classTable = QStringLiteral("m_売上区分");
    k.classLabel = QStringLiteral("売上区分");
    k.priceField = QStringLiteral("単価");
    k.formCaption = QStringLiteral("売上伝票入力");
    k.searchCaption = QStringLiteral("売上伝票検索");
    k.headerDataSetName = QStringLiteral("SalesDataSet");
    return customerSide(k);
}

SlipKind makeBuying()
{
    SlipKind k{};
    k.lines = SlipKind::Lines::Goods;
    k.headerTable = QStringLiteral("t_仕入");
    k.lineTable = QStringLiteral("t_仕入明細");
    k.view = QStringLiteral("v_仕入");
    k.dateField = QStringLiteral("仕入年月日");
    k.classField = QStringLiteral("仕入区分コード");
    k.classTable = QStringLiteral("m_仕入区分");
    k.classLabel = QStringLiteral("仕入区分");
    k.priceField = QStringLiteral("原価");
    k.formCaption = QStringLiteral("仕入伝票入力");
    k.searchCaption = QStringLiteral("仕入伝票検索");
    k.headerDataSetName = QStringLiteral("BuyingDataSet");
    return supplierSide(k);
}

SlipKind makeMoneyReceive()
{
    SlipKind k{};
    k.lines = SlipKind::Lines::Money;
    k.headerTable = QStringLiteral("t_入金");
    k.lineTable = QStringLiteral("t_入金明細");
    k.view = QStringLiteral("v_入金");
    k.dateField = QStringLiteral("入金年月日");
    k.lineClassTable = QStringLiteral("m_入金明細区分");
    k.lineClassKey = QStringLiteral("入金区分コード");
    k.formCaption = QStringLiteral("入金伝票入力");
    k.searchCaption = QStringLiteral("入金伝票検索");
    k.headerDataSetName = QStringLiteral("ReceiveDataSet");
    k.lineClassDataSetName = QStringLiteral("ReceiveCategoDataSet");
    return customerSide(k);
}

SlipKind makePayment()
{
    SlipKind k{};
    k.lines = SlipKind::Lines::Money;
    k.headerTable = QStringLiteral("t_支払");
    k.lineTable = QStringLiteral("t_支払明細");
    k.view = QStringLiteral("v_支払");
    k.dateField = QStringLiteral("支払年月日");
    k.lineClassTable = QStringLiteral("m_支払明細区分");
    k.lineClassKey = QStringLiteral("支払区分コード");
    k.formCaption = QStringLiteral("支払伝票入力");
    k.searchCaption = QStringLiteral("支払伝票検索");
    k.headerDataSetName = QStringLiteral("PaymentDataSet");
    k.lineClassDataSetName = QStringLiteral("PaymentCategoDataSet");
    return supplierSide(k);
}

}  // namespace

const SlipKind& SlipKind::sales()
{
    static const SlipKind kind = makeSales();
    return kind;
}

const SlipKind& SlipKind::buying()
{
    static const SlipKind kind = makeBuying();
    return kind;
}

const SlipKind& SlipKind::moneyReceive()
{
    static const SlipKind kind = makeMoneyReceive();
    return kind;
}

const SlipKind& SlipKind::payment()
{
    static const SlipKind kind = makePayment();
    return kind;
}

QString SlipKind::maxQuery() const
{
    return QStringLiteral("SELECT MAX(伝票番号) AS 最大伝票番号 FROM ") + headerTable;
}

QString SlipKind::headerQuery() const
{
    // Only the columns the window shows and writes. The total that the triggers
    // keep on the header is read under a name of its own: it is no column of the
    // table, so the window never writes it, and the save can see whether another
    // process changed the slip's lines since it was opened.
    QStringList columns{QStringLiteral("伝票番号"), dateField};
    if (hasGoods())
        columns << classField;
    columns << partnerField;
    if (hasGoods())
        columns << QStringLiteral("担当者コード");
    return QStringLiteral("SELECT %1, 伝票合計 AS %2 FROM %3 WHERE 伝票番号 = :SlipNo")
        .arg(columns.join(QStringLiteral(", ")), ReadTotalField, headerTable);
}

QString SlipKind::lineQuery() const
{
    return QStringLiteral("SELECT * FROM %1 WHERE 伝票番号 = :SlipNo ORDER BY 明細番号").arg(lineTable);
}

QString SlipKind::partnerQuery() const
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = :Code").arg(partnerTable, partnerField);
}
