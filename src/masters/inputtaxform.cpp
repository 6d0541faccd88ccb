#include "inputtaxform.h"

#include "dbeditgrid.h"
#include "decimalcelldelegate.h"

namespace {

EditableListForm::ListLayout taxList()
{
    // 消費税率 is a fraction held as money (0.05), typed and stored exactly.
    return {
        .caption = QStringLiteral("消費税設定"),
        .sql = QStringLiteral("SELECT * FROM m_税率 ORDER BY 適用年月日"),
        .table = QStringLiteral("m_税率"),
        .key = QStringLiteral("適用年月日"),
        .columns = {{QStringLiteral("適用年月日"), QStringLiteral("適用年月日"), 94,
                     Qt::AlignLeft | Qt::AlignVCenter, DisplayFormat::Date},
                    {QStringLiteral("消費税率"), QStringLiteral("消費税率"), 95,
                     Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Quantity}},
        .gridSize = {249, 393},
        .limitedColumn = {},
        .limit = 0,
    };
}

}  // namespace

TInputTaxForm::TInputTaxForm(QWidget* owner)
    : EditableListForm(owner, taxList()),
      TaxDataSet(listDataSet()),
      RateDelegate(new DecimalCellDelegate(GridList))
{
    setObjectName(QStringLiteral("TInputTaxForm"));
    GridList->setColumnDelegate(QStringLiteral("消費税率"), RateDelegate);
    FormCreate();
}
