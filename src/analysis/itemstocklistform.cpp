#include "itemstocklistform.h"

#include "csvwriter.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "formats.h"
#include "itemstocklistrptform.h"
#include "ledgeritemform.h"
#include "modal.h"
#include "reportpreview.h"

namespace {

const QString kItemCode = QStringLiteral("商品コード");

}  // namespace

TItemStockListForm::TItemStockListForm(QWidget* owner)
    : PeriodListWindow(owner, QStringLiteral("GridList"), QStringLiteral("元帳表示"),
                       QKeySequence(ActionKey::DispDetail), previewReport),
      GridList(grid()),
      m_list(Connection)
{
    ListDataSet().setObjectName(QStringLiteral("ListDataSet"));
    setWindowTitle(StockListComputation::Title);
    resize(720, 520);
    GridList->setDataset(ListDataSet(), StockListComputation::columns());
    GridList->setSortable(true);
    layOut(nullptr, nullptr, nullptr, [this] { return fileName(m_list); });
    FormCreate();
}

void TItemStockListForm::BuildList()
{
    showPeriod(m_list.build(JvDatePickerEditFrom->date(), JvDatePickerEditTo->date()));
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
    showPrint(*makePrint(m_list));
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
