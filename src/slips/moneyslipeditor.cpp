#include "moneyslipeditor.h"

#include "linetax.h"

namespace {

const QString AmountField = QStringLiteral("金額");

QString totalTooLargeText()
{
    return QStringLiteral("伝票の合計金額が大きすぎます。金額を見直してください。");
}

}  // namespace

MoneySlipEditor::MoneySlipEditor(Connection& connection, const SlipKind& kind)
    : SlipEditor(connection, kind),
      CategoDataSet(connection, QStringLiteral("SELECT *, %1 || ' ' || 区分名 AS 区分 FROM %2 ORDER BY %1")
                                    .arg(kind.lineClassKey, kind.lineClassTable))
{
    CategoDataSet.setObjectName(kind.lineClassDataSetName);
    DetailDataSet.addLookupField(QStringLiteral("区分"), QStringLiteral("区分コード"), CategoDataSet,
                                 kind.lineClassKey, QStringLiteral("区分"));
}

void MoneySlipEditor::openFixedLists()
{
    CategoDataSet.open();
}

Money MoneySlipEditor::sumOf(Cursor lines)
{
    Money sum;
    for (lines.first(); !lines.eof(); lines.next())
        sum += lines.field(AmountField).asMoney();
    return sum;
}

void MoneySlipEditor::lineInserted()
{
    DetailDataSet.setValue(QStringLiteral("伝票番号"), slipNo());
    DetailDataSet.setValue(QStringLiteral("区分コード"), QStringLiteral("10"));
    DetailDataSet.setValue(AmountField, QVariant::fromValue(Money()));
}

void MoneySlipEditor::checkLineBeforePost()
{
    try {
        sumOf(DetailDataSet.clone());  // the slip with this line must fit
    } catch (const MoneyOverflow&) {
        throw LineAmountError(totalTooLargeText());
    }
}

void MoneySlipEditor::checkLines()
{
    Money sum;
    for (int row = 0; row < DetailDataSet.count(); ++row) {
        try {
            sum += DetailDataSet.fieldAt(row, AmountField).asMoney();
        } catch (const MoneyOverflow&) {
            throw SlipCheckError(totalTooLargeText(), row, AmountField);
        }
    }
}
