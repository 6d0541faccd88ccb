#include "slipkind.h"

#include <QStringList>

namespace {

SlipKind goodsKind(const PartnerSide& side)
{
    SlipKind k{};
    k.lines = SlipKind::Lines::Goods;
    k.side = &side;
    k.headerTable = side.goodsTable;
    k.lineTable = side.goodsLineTable;
    k.view = side.goodsView;
    k.dateField = side.goodsDateColumn;
    k.classField = side.goodsClassColumn;
    k.classTable = side.goodsClassTable;
    k.classLabel = side.goodsClassLabel;
    return k;
}

SlipKind moneyKind(const PartnerSide& side)
{
    SlipKind k{};
    k.lines = SlipKind::Lines::Money;
    k.side = &side;
    k.headerTable = side.moneyTable;
    k.lineTable = side.moneyLineTable;
    k.view = side.moneyView;
    k.dateField = side.moneyDateColumn;
    k.lineClassTable = side.moneyLineClassTable;
    k.lineClassKey = side.moneyLineClassKey;
    return k;
}

SlipKind makeSales()
{
    SlipKind k = goodsKind(PartnerSide::customer());
    k.priceField = QStringLiteral("単価");
    k.formCaption = QStringLiteral("売上伝票入力");
    k.searchCaption = QStringLiteral("売上伝票検索");
    k.headerDataSetName = QStringLiteral("SalesDataSet");
    return k;
}

SlipKind makeBuying()
{
    SlipKind k = goodsKind(PartnerSide::supplier());
    k.priceField = QStringLiteral("原価");
    k.formCaption = QStringLiteral("仕入伝票入力");
    k.searchCaption = QStringLiteral("仕入伝票検索");
    k.headerDataSetName = QStringLiteral("BuyingDataSet");
    return k;
}

SlipKind makeMoneyReceive()
{
    SlipKind k = moneyKind(PartnerSide::customer());
    k.formCaption = QStringLiteral("入金伝票入力");
    k.searchCaption = QStringLiteral("入金伝票検索");
    k.headerDataSetName = QStringLiteral("ReceiveDataSet");
    k.lineClassDataSetName = QStringLiteral("ReceiveCategoDataSet");
    return k;
}

SlipKind makePayment()
{
    SlipKind k = moneyKind(PartnerSide::supplier());
    k.formCaption = QStringLiteral("支払伝票入力");
    k.searchCaption = QStringLiteral("支払伝票検索");
    k.headerDataSetName = QStringLiteral("PaymentDataSet");
    k.lineClassDataSetName = QStringLiteral("PaymentCategoDataSet");
    return k;
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
    columns << partnerField();
    if (hasGoods())
        columns << QStringLiteral("担当者コード");
    return QStringLiteral("SELECT %1, 伝票合計 AS %2 FROM %3 WHERE 伝票番号 = :SlipNo")
        .arg(columns.join(QStringLiteral(", ")), ReadTotalField, headerTable);
}

QString SlipKind::lineQuery() const
{
    return QStringLiteral("SELECT * FROM %1 WHERE 伝票番号 = :SlipNo ORDER BY 明細番号").arg(lineTable);
}
