#include "itemstocklistform.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "csvexportaction.h"
#include "csvwriter.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "formats.h"
#include "itemstocklistrptform.h"
#include "ledgeritemform.h"
#include "modal.h"
#include "periodrow.h"
#include "reportpreview.h"

namespace {

const QString kItemCode = QStringLiteral("商品コード");

}  // namespace

TItemStockListForm::TItemStockListForm(QWidget* owner)
    : FunctionWindow(owner),
      m_periodRow(new PeriodRow),
      JvDatePickerEditFrom(m_periodRow->from),
      JvDatePickerEditTo(m_periodRow->to),
      ButtonDisp(new QPushButton(QStringLiteral("表示"))),
      GridList(new DbGrid),
      m_list(Connection),
      m_preview(previewReport)
{
    ListDataSet().setObjectName(QStringLiteral("ListDataSet"));
    ActionDispDetail =
        createAction(QStringLiteral("ActionDispDetail"), QStringLiteral("元帳表示"),
                     QKeySequence(ActionKey::DispDetail), [this] { ActionDispDetailExecute(); });
    ActionPrint = createAction(QStringLiteral("ActionPrint"), QStringLiteral("印刷"),
                               QKeySequence(ActionKey::Print), [this] { ActionPrintExecute(); });
    ActionClose = createCloseAction();
    buildControls();

    connect(ButtonDisp, &QPushButton::clicked, this, [this] { runGuarded([this] { BuildList(); }); });
    connect(GridList, &DbGrid::rowActivated, this, [this] { ActionDispDetail->trigger(); });
    FormCreate();
}

void TItemStockListForm::buildControls()
{
    setWindowTitle(StockListComputation::Title);
    resize(720, 520);

    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));
    GridList->setObjectName(QStringLiteral("GridList"));
    GridList->setDataset(ListDataSet(), StockListComputation::columns());
    GridList->setSortable(true);

    PeriodRow* periodRow = m_periodRow;
    periodRow->addSpacing(16);
    periodRow->addWidget(ButtonDisp);
    periodRow->addStretch();

    QHBoxLayout* buttonRow = actionBar({ActionDispDetail, ActionPrint, ActionClose});
    CsvExportAction::add(this, buttonRow, GridList, [this] { return fileName(m_list); });

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(periodRow);
    layout->addWidget(GridList, 1);
    layout->addLayout(buttonRow);
}

void TItemStockListForm::setInitialValues()
{
    m_periodRow->setMonthOf(QDate::currentDate());
}

void TItemStockListForm::updateActions()
{
    const bool rows = ListDataSet().isOpen() && !ListDataSet().isEmpty();
    ActionDispDetail->setEnabled(rows);
    ActionPrint->setEnabled(rows);
}

void TItemStockListForm::BuildList()
{
    m_periodRow->show(m_list.build(JvDatePickerEditFrom->date(), JvDatePickerEditTo->date()));
}

void TItemStockListForm::ActionDispDetailExecute()
{
    Dataset& ds = ListDataSet();
    if (ds.currentRow() < 0)
        return;
    // The ledger takes the period the pickers hold now, not that of the rows shown.
    const QString code = ds.field(kItemCode).asText();
    const QDate from = JvDatePickerEditFrom->date();
    const QDate to = JvDatePickerEditTo->date();
    openModalWith<TLedgerItemForm>(
        this, [&](TLedgerItemForm& ledger) { ledger.openOnItem(code, from, to); },
        [](TLedgerItemForm&, int) {});
}

void TItemStockListForm::ActionPrintExecute()
{
    m_preview(this, *makePrint(m_list));
}

std::unique_ptr<Report> TItemStockListForm::makePrint(const StockListComputation& list)
{
    auto report = std::make_unique<TItemStockListRptForm>(list.dataset());
    report->setPeriodTexts(list.PeriodFromText(), list.PeriodToText());
    return report;
}

QString TItemStockListForm::fileName(const StockListComputation& list)
{
    return CsvWriter::proposedFileName(StockListComputation::Title, {},
                                       Formats::parseDate(list.PeriodFromText()),
                                       Formats::parseDate(list.PeriodToText()));
}
