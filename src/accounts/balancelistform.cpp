#include "balancelistform.h"

#include <QVBoxLayout>

#include "balancelistrptform.h"
#include "csvwriter.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "formats.h"
#include "gridtotalsrow.h"
#include "reportpreview.h"

BalanceListForm::BalanceListForm(QWidget* owner, const Names& names)
    : PeriodListWindow(owner, QStringLiteral("GridList"), QStringLiteral("元帳表示"),
                       QKeySequence(ActionKey::DispDetail), previewReport),
      GridList(grid()),
      TotalsRow(new GridTotalsRow(GridList)),
      m_names(names),
      m_list(Connection, *names.list)
{
    ListDataSet().setObjectName(QStringLiteral("ListDataSet"));
    buildControls();
}

void BalanceListForm::buildControls()
{
    setWindowTitle(m_names.caption);
    GridList->setDataset(ListDataSet(), columns(m_names));
    GridList->setMoneyDigits(11);  // the 合計 row of a book's customers
    // Wide enough for every column, 残高 included.
    resize(qMax(720, GridList->preferredWidth() + 24), 520);
    GridList->setSortable(true);
    GridList->setColumnTextColor(m_names.list->periodCash,
                                 palette().color(QPalette::Disabled, QPalette::Text));
    TotalsRow->setObjectName(QStringLiteral("TotalsRow"));

    auto* list = new QVBoxLayout;
    list->setSpacing(0);
    list->addWidget(GridList, 1);
    list->addWidget(TotalsRow);
    layOut(nullptr, nullptr, list, [this] { return fileName(m_names, m_list); });
}

void BalanceListForm::BuildList()
{
    showPeriod(m_list.build(JvDatePickerEditFrom->date(), JvDatePickerEditTo->date()));
    showTotals();
}

void BalanceListForm::showTotals()
{
    TotalsRow->clearTexts();
    const DatasetModel* model = GridList->datasetModel();
    TotalsRow->setCellText(model->modelColumnOf(m_names.list->side->nameColumn), QStringLiteral("合計"),
                           Qt::AlignLeft | Qt::AlignVCenter);
    const QList<ColumnSpec>& specs = model->declaredColumns();
    for (const auto& [column, sum] : m_list.totals()) {
        DisplayFormat format = DisplayFormat::Money;
        for (const ColumnSpec& spec : specs)
            if (spec.field == column)
                format = spec.format;
        TotalsRow->setCellText(model->modelColumnOf(column), Field(QVariant::fromValue(sum)).display(format),
                               Qt::AlignRight | Qt::AlignVCenter);
    }
}

void BalanceListForm::ActionDispDetailExecute()
{
    Dataset& ds = ListDataSet();
    if (ds.currentRow() < 0)
        return;
    // The ledger takes the period the pickers hold now, not that of the rows shown.
    m_names.openLedger(this, ds.field(m_names.list->side->codeColumn).asText(), JvDatePickerEditFrom->date(),
                       JvDatePickerEditTo->date());
}

void BalanceListForm::ActionPrintExecute()
{
    showPrint(*makePrint(m_names, m_list));
}

QList<ColumnSpec> BalanceListForm::columns(const Names& names)
{
    return BalanceListComputation::columns(*names.list, names.cashWidth);
}

std::unique_ptr<BalanceListRptForm> BalanceListForm::makePrint(const Names& names,
                                                               const BalanceListComputation& list)
{
    std::unique_ptr<BalanceListRptForm> report = names.makeReport(list.dataset());
    report->setPeriodTexts(list.PeriodFromText(), list.PeriodToText());
    report->setTotals(list.totals());
    return report;
}

QString BalanceListForm::fileName(const Names& names, const BalanceListComputation& list)
{
    return CsvWriter::proposedFileName(names.caption, {}, Formats::parseDate(list.PeriodFromText()),
                                       Formats::parseDate(list.PeriodToText()));
}
