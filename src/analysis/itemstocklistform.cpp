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

QList<ColumnSpec> listColumns()
{
    constexpr auto left = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    constexpr auto quantity = DisplayFormat::Quantity;
    return {
        {kItemCode, {}, 100, left},
        {QStringLiteral("商品名"), {}, 200, left},
        {QStringLiteral("繰越数量"), {}, 90, right, quantity},
        {QStringLiteral("期間入庫数"), {}, 90, right, quantity},
        {QStringLiteral("期間出庫数"), {}, 90, right, quantity},
        {QStringLiteral("在庫数"), {}, 90, right, quantity},
    };
}

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
    setWindowTitle(QStringLiteral("商品在庫一覧表"));
    resize(720, 520);

    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));
    GridList->setObjectName(QStringLiteral("GridList"));
    GridList->setDataset(ListDataSet(), listColumns());
    GridList->setSortable(true);

    PeriodRow* periodRow = m_periodRow;
    periodRow->addSpacing(16);
    periodRow->addWidget(ButtonDisp);
    periodRow->addStretch();

    QHBoxLayout* buttonRow = actionBar({ActionDispDetail, ActionPrint, ActionClose});
    CsvExportAction::add(this, buttonRow, GridList, [this] {
        return CsvWriter::proposedFileName(windowTitle(), {}, Formats::parseDate(PeriodFromText()),
                                           Formats::parseDate(PeriodToText()));
    });

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
    TItemStockListRptForm report(ListDataSet());
    report.QRLabelDateFrom.setCaption(PeriodFromText());
    report.QRLabelDateTo.setCaption(PeriodToText());
    m_preview(this, report);
}
