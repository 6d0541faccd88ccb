#include "ledgeritemform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "codelookup.h"
#include "csvexportaction.h"
#include "csvwriter.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "finditemdlg.h"
#include "formats.h"
#include "inputbuyingform.h"
#include "inputsalesform.h"
#include "ledgeritemrptform.h"
#include "periodrow.h"
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
    : FunctionWindow(owner),
      EditCode(new DbCodeEdit),
      m_periodRow(new PeriodRow),
      JvDatePickerEditFrom(m_periodRow->from),
      JvDatePickerEditTo(m_periodRow->to),
      ButtonDisp(new QPushButton(QStringLiteral("表示"))),
      GridLedger(new DbGrid),
      DBTextItemName(new DbText),
      m_ledger(Connection),
      m_item(std::make_unique<Dataset>(Connection, ItemLedgerComputation::itemQuery())),
      m_shownItem(std::make_unique<Dataset>(Connection, ItemLedgerComputation::itemQuery())),
      m_preview(previewReport)
{
    m_item->setObjectName(QStringLiteral("ItemDataSet"));
    LedgerDataSet().setObjectName(QStringLiteral("LedgerDataSet"));
    ActionDispDetail = createAction(QStringLiteral("ActionDispDetail"), QStringLiteral("伝票表示"),
                                    QKeySequence(), [this] { ActionDispDetailExecute(); });
    ActionPrint = createAction(QStringLiteral("ActionPrint"), QStringLiteral("印刷"),
                               QKeySequence(ActionKey::Print), [this] { ActionPrintExecute(); });
    ActionClose = createCloseAction();
    buildControls();

    connect(EditCode, &DbCodeEdit::exited, this, [this] { runGuarded([this] { EditCodeExit(); }); });
    connect(EditCode, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { EditCodeButtonClick(); }); });
    connect(ButtonDisp, &QPushButton::clicked, this, [this] { runGuarded([this] { BuildLedger(); }); });
    connect(GridLedger, &DbGrid::rowActivated, this, [this] { ActionDispDetail->trigger(); });
    FormCreate();
}

void TLedgerItemForm::buildControls()
{
    setWindowTitle(ItemLedgerComputation::Title);
    resize(900, 560);

    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditCode->setMaxLength(13);
    EditCode->setMinimumWidth(120);
    DBTextItemName->setObjectName(QStringLiteral("DBTextItemName"));
    DBTextItemName->setFrameShape(QFrame::Panel);
    DBTextItemName->setFrameShadow(QFrame::Sunken);
    DBTextItemName->setMinimumWidth(260);
    DBTextItemName->bind(*m_item, QStringLiteral("商品名"));
    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));

    GridLedger->setObjectName(QStringLiteral("GridLedger"));
    GridLedger->setDataset(LedgerDataSet(), ItemLedgerComputation::columns());

    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(new QLabel(kItemCode));
    codeRow->addWidget(EditCode);
    codeRow->addWidget(DBTextItemName);
    codeRow->addStretch();

    PeriodRow* periodRow = m_periodRow;
    periodRow->addSpacing(16);
    periodRow->addWidget(ButtonDisp);
    periodRow->addStretch();

    QHBoxLayout* buttonRow = actionBar({ActionDispDetail, ActionPrint, ActionClose});
    // Named after the item and the period of the rows shown.
    CsvExportAction::add(this, buttonRow, GridLedger, [this] {
        const QString code = m_shownItem->isOpen() && !m_shownItem->isEmpty()
                                 ? m_shownItem->field(QStringLiteral("商品コード")).asText()
                                 : QString();
        return fileName(code, m_ledger);
    });

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(codeRow);
    layout->addLayout(periodRow);
    layout->addWidget(GridLedger, 1);
    layout->addLayout(buttonRow);
}

void TLedgerItemForm::setInitialValues()
{
    m_periodRow->setMonthOf(QDate::currentDate());
}

void TLedgerItemForm::updateActions()
{
    ButtonDisp->setEnabled(itemLoadedAsTyped());
    const bool shown = LedgerDataSet().isOpen();
    ActionDispDetail->setEnabled(shown);
    ActionPrint->setEnabled(shown);
}

bool TLedgerItemForm::itemLoadedAsTyped() const
{
    if (!m_item->isOpen() || m_item->isEmpty())
        return false;
    const Field code = m_item->field(kItemCode);
    return !code.isNull() && code.asText() == EditCode->text();
}

void TLedgerItemForm::loadItem(const QString& code)
{
    m_item->close();
    m_item->setParam(QStringLiteral("Code"), code);
    m_item->open();
}

void TLedgerItemForm::EditCodeExit()
{
    loadItem(EditCode->text());
}

void TLedgerItemForm::EditCodeButtonClick()
{
    if (const std::optional<QString> code = lookUpCode<TFindItemDlg>(this)) {
        EditCode->setText(*code);
        // As if the code had been typed and the field left; the focus may come
        // back only after the dialog is gone, so the item is loaded here.
        EditCodeExit();
        EditCode->setFocus(Qt::OtherFocusReason);
        focusNextChild();
    }
}

void TLedgerItemForm::BuildLedger()
{
    // The item comes from the looked-up row, never from the text of the field.
    const QString code =
        m_item->isOpen() && !m_item->isEmpty() ? m_item->field(kItemCode).asText() : QString();
    m_shownItem->close();
    m_periodRow->show(m_ledger.build(code, JvDatePickerEditFrom->date(), JvDatePickerEditTo->date()));
    m_shownItem->setParam(QStringLiteral("Code"), code);
    m_shownItem->open();
}

void TLedgerItemForm::openOnItem(const QString& code, const QDate& from, const QDate& to)
{
    runGuarded([&] {
        JvDatePickerEditFrom->setDate(from);
        JvDatePickerEditTo->setDate(to);
        EditCode->setText(code);
        loadItem(code);
        BuildLedger();
    });
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
    m_preview(this, *makePrint(m_ledger, *m_shownItem));
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
