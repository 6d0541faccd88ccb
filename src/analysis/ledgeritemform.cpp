#include "ledgeritemform.h"

#include "codelookup.h"
#include "csvwriter.h"
#include "dbgrid.h"
#include "finditemdlg.h"
#include "formats.h"
#include "inputbuyingform.h"
#include "inputsalesform.h"
#include "ledgeritemrptform.h"
#include "reportpreview.h"
#include "slipopener.h"

namespace {

const QString kItemCode = QStringLiteral("商品コード");
const QString kKindCode = QStringLiteral("種別コード");
const QString kSlipNo = QStringLiteral("伝票番号");

SlipOpener slipOpenerFor(int kind)
{
    switch (kind) {
        case 1:
            return openSlipWindow<TInputBuyingForm>;
        case 2:
            return openSlipWindow<TInputSalesForm>;
        default:
            return nullptr;  // the carried-forward row has no slip
    }
}

}  // namespace

TLedgerItemForm::TLedgerItemForm(QWidget* owner)
    : CodedLedgerWindow(owner,
                        {.sql = ItemLedgerComputation::itemQuery(),
                         .dataSetName = QStringLiteral("ItemDataSet"),
                         .codeColumn = kItemCode,
                         .nameColumn = QStringLiteral("商品名"),
                         .nameBoxName = QStringLiteral("DBTextItemName")},
                        QKeySequence(), previewReport),
      GridLedger(grid()),
      DBTextItemName(nameBox()),
      m_ledger(Connection)
{
    LedgerDataSet().setObjectName(QStringLiteral("LedgerDataSet"));
    setWindowTitle(ItemLedgerComputation::Title);
    resize(900, 560);
    GridLedger->setDataset(LedgerDataSet(), ItemLedgerComputation::columns());
    // Named after the item and the period of the rows shown.
    layOut(nullptr, [this] { return fileName(shownCode(), m_ledger); });
    FormCreate();
}

Period TLedgerItemForm::build(const QString& code, const QDate& from, const QDate& to)
{
    return m_ledger.build(code, from, to);
}

std::optional<QString> TLedgerItemForm::lookUp()
{
    return lookUpCode<TFindItemDlg>(this);
}

void TLedgerItemForm::ActionDispDetailExecute()
{
    Dataset& ds = LedgerDataSet();
    if (ds.currentRow() < 0)
        return;
    if (const SlipOpener open = slipOpenerFor(int(ds.field(kKindCode).asInt())))
        open(this, QString::number(ds.field(kSlipNo).asInt()));
}

void TLedgerItemForm::ActionPrintExecute()
{
    showPrint(*makePrint(m_ledger, shownMaster()));
}

std::unique_ptr<Report> TLedgerItemForm::makePrint(const ItemLedgerComputation& ledger, Dataset& item)
{
    auto report = std::make_unique<TLedgerItemRptForm>(ledger.dataset(), item);
    report->setPeriodTexts(ledger.PeriodFromText(), ledger.PeriodToText());
    return report;
}

QString TLedgerItemForm::fileName(const QString& itemCode, const ItemLedgerComputation& ledger)
{
    return CsvWriter::proposedFileName(ItemLedgerComputation::Title, {itemCode},
                                       Formats::parseDate(ledger.PeriodFromText()),
                                       Formats::parseDate(ledger.PeriodToText()));
}
