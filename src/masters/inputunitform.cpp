#include "inputunitform.h"

namespace {

EditableListForm::ListLayout unitList()
{
    return {
        .caption = QStringLiteral("単位リスト"),
        .sql = QStringLiteral("SELECT * FROM m_単位 ORDER BY 単位コード"),
        .table = QStringLiteral("m_単位"),
        .key = QStringLiteral("単位コード"),
        .columns = {{QStringLiteral("単位コード"), QStringLiteral("コード"), 51,
                     Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Integer},
                    {QStringLiteral("単位"), QStringLiteral("単位"), 95}},
        .gridSize = {209, 393},
        // An item keeps its unit's name in 単位 text(8).
        .limitedColumn = QStringLiteral("単位"),
        .limit = 8,
    };
}

}  // namespace

TInputUnitForm::TInputUnitForm(QWidget* owner)
    : EditableListForm(owner, unitList()), UnitDataSet(listDataSet())
{
    setObjectName(QStringLiteral("TInputUnitForm"));
    FormCreate();
}
