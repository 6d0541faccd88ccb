#include "ledgerform.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "csvexportaction.h"
#include "csvwriter.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "formats.h"
#include "ledgerrptform.h"
#include "periodrow.h"
#include "reportpreview.h"

namespace {

const QString kDispDate = QStringLiteral("表示用年月日");
const QString kKindCode = QStringLiteral("種別コード");
const QString kSlipNo = QStringLiteral("伝票番号");

// The columns shown only with "詳細表示": what the detail lines carry.
QStringList detailColumns(const LedgerNames& n)
{
    return {
        QStringLiteral("区分"), QStringLiteral("商品名"), QStringLiteral("分類名"), QStringLiteral("単価"),
        QStringLiteral("税額"), QStringLiteral("数量"),   QStringLiteral("金額"),   n.moneyAmount};
}

QStringList greyColumns(const LedgerNames& n)
{
    return {QStringLiteral("区分"),     QStringLiteral("商品コード"),
            QStringLiteral("商品名"),   QStringLiteral("分類名"),
            QStringLiteral("単価"),     QStringLiteral("税額"),
            QStringLiteral("数量"),     QStringLiteral("金額"),
            QStringLiteral("現金合計"), n.moneyAmount};
}

}  // namespace

LedgerForm::LedgerForm(QWidget* owner, const Names& names)
    : FunctionWindow(owner),
      EditCode(new DbCodeEdit),
      m_periodRow(new PeriodRow),
      JvDatePickerEditFrom(m_periodRow->from),
      JvDatePickerEditTo(m_periodRow->to),
      CheckBoxDetail(new QCheckBox(QStringLiteral("詳細表示"))),
      ButtonDisp(new QPushButton(QStringLiteral("表示"))),
      GridLedger(new DbGrid),
      m_names(names),
      m_ledger(Connection, *names.ledger),
      m_partner(std::make_unique<Dataset>(Connection)),
      m_shownPartner(std::make_unique<Dataset>(Connection)),
      m_nameBox(new DbText),
      m_preview(previewReport)
{
    const QString partnerSql = names.ledger->side->rowByCodeQuery();
    m_partner->setSql(partnerSql);
    m_shownPartner->setSql(partnerSql);
    m_partner->setObjectName(names.ledger->side->objectName({}, QStringLiteral("DataSet")));
    LedgerDataSet().setObjectName(QStringLiteral("LedgerDataSet"));
    ActionDispDetail = createAction(QStringLiteral("ActionDispDetail"), QStringLiteral("伝票表示"),
                                    names.dispDetailKey, [this] { ActionDispDetailExecute(); });
    ActionPrint = createAction(QStringLiteral("ActionPrint"), QStringLiteral("印刷"),
                               QKeySequence(ActionKey::Print), [this] { ActionPrintExecute(); });
    ActionClose = createCloseAction();
    buildControls();

    connect(EditCode, &DbCodeEdit::exited, this, [this] { runGuarded([this] { EditCodeExit(); }); });
    connect(EditCode, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { EditCodeButtonClick(); }); });
    connect(CheckBoxDetail, &QCheckBox::toggled, this,
            [this] { runGuarded([this] { CheckBoxDetailClick(); }); });
    connect(ButtonDisp, &QPushButton::clicked, this, [this] { runGuarded([this] { BuildLedger(); }); });
    connect(GridLedger, &DbGrid::rowActivated, this, [this] { ActionDispDetail->trigger(); });
}

void LedgerForm::buildControls()
{
    setWindowTitle(m_names.caption);
    resize(860, 560);

    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditCode->setMaxLength(13);
    EditCode->setMinimumWidth(120);
    m_nameBox->setObjectName(
        m_names.ledger->side->objectName(QStringLiteral("DBText"), QStringLiteral("Name")));
    m_nameBox->setFrameShape(QFrame::Panel);
    m_nameBox->setFrameShadow(QFrame::Sunken);
    m_nameBox->setMinimumWidth(260);
    m_nameBox->bind(*m_partner, m_names.ledger->side->nameColumn);
    CheckBoxDetail->setObjectName(QStringLiteral("CheckBoxDetail"));
    CheckBoxDetail->setChecked(true);
    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));

    GridLedger->setObjectName(QStringLiteral("GridLedger"));
    GridLedger->setDataset(LedgerDataSet(), columns(m_names));
    for (const QString& field : greyColumns(*m_names.ledger))
        GridLedger->setColumnTextColor(field, palette().color(QPalette::Disabled, QPalette::Text));
    GridLedger->setRowPainter(
        [this](const RowRef& row, int rowIndex) { return rowBackground(row, rowIndex); });

    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(new QLabel(m_names.ledger->side->codeColumn));
    codeRow->addWidget(EditCode);
    codeRow->addWidget(m_nameBox);
    codeRow->addStretch();

    PeriodRow* periodRow = m_periodRow;
    periodRow->addSpacing(16);
    periodRow->addWidget(CheckBoxDetail);
    periodRow->addSpacing(16);
    periodRow->addWidget(ButtonDisp);
    periodRow->addStretch();

    QHBoxLayout* buttonRow = actionBar({ActionDispDetail, ActionPrint, ActionClose});
    // The file is named after the partner and the period of the rows shown.
    CsvExportAction::add(this, buttonRow, GridLedger, [this] {
        const QString code = m_shownPartner->isOpen() && !m_shownPartner->isEmpty()
                                 ? m_shownPartner->field(m_names.ledger->side->codeColumn).asText()
                                 : QString();
        return fileName(m_names, code, m_ledger);
    });

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(codeRow);
    layout->addLayout(periodRow);
    layout->addWidget(GridLedger, 1);
    layout->addLayout(buttonRow);
}

void LedgerForm::setInitialValues()
{
    m_periodRow->setMonthOf(QDate::currentDate());
}

void LedgerForm::updateActions()
{
    ButtonDisp->setEnabled(partnerLoadedAsTyped());
    const bool shown = LedgerDataSet().isOpen();
    ActionDispDetail->setEnabled(shown);
    ActionPrint->setEnabled(shown);
}

bool LedgerForm::partnerLoadedAsTyped() const
{
    if (!m_partner->isOpen() || m_partner->isEmpty())
        return false;
    const Field code = m_partner->field(m_names.ledger->side->codeColumn);
    return !code.isNull() && code.asText() == EditCode->text();
}

void LedgerForm::loadPartner(const QString& code)
{
    m_partner->close();
    m_partner->setParam(QStringLiteral("Code"), code);
    m_partner->open();
}

void LedgerForm::EditCodeExit()
{
    loadPartner(EditCode->text());
}

void LedgerForm::EditCodeButtonClick()
{
    if (!m_names.lookUpPartner)
        return;
    if (const std::optional<QString> code = m_names.lookUpPartner(this)) {
        EditCode->setText(*code);
        // As if the code had been typed and the field left. The focus may come
        // back to this window only after the dialog is gone, so the partner is
        // loaded here rather than left to the field's exit.
        EditCodeExit();
        EditCode->setFocus(Qt::OtherFocusReason);
        focusNextChild();
    }
}

void LedgerForm::BuildLedger()
{
    const QString code =
        m_partner->isOpen() ? m_partner->field(m_names.ledger->side->codeColumn).asText() : QString();
    m_shownPartner->close();
    m_periodRow->show(m_ledger.build(code, JvDatePickerEditFrom->date(), JvDatePickerEditTo->date()));
    m_shownPartner->setParam(QStringLiteral("Code"), code);
    m_shownPartner->open();
}

void LedgerForm::openOnPartner(const QString& code, const QDate& from, const QDate& to)
{
    runGuarded([&] {
        JvDatePickerEditFrom->setDate(from);
        JvDatePickerEditTo->setDate(to);
        EditCode->setText(code);
        loadPartner(code);
        BuildLedger();
    });
}

void LedgerForm::CheckBoxDetailClick()
{
    const bool show = CheckBoxDetail->isChecked();
    for (const QString& field : detailColumns(*m_names.ledger))
        GridLedger->setColumnVisible(field, show);
    m_ledger.setShowDetails(show);
}

void LedgerForm::ActionDispDetailExecute()
{
    Dataset& ds = LedgerDataSet();
    if (ds.currentRow() < 0 || !m_names.slipOpenerFor)
        return;
    // Detail lines carry their slip's kind and number, so they open their slip too.
    const int kind = int(ds.field(kKindCode).asInt());
    const SlipOpener open = m_names.slipOpenerFor(kind);
    if (open)
        open(this, QString::number(ds.field(kSlipNo).asInt()));
}

void LedgerForm::ActionPrintExecute()
{
    m_preview(this, *makePrint(m_names, m_ledger, *m_shownPartner));
}

QList<ColumnSpec> LedgerForm::columns(const Names& names)
{
    return LedgerComputation::columns(*names.ledger, names.balanceTitle, names.balanceWidth,
                                      names.quantityWidth);
}

std::unique_ptr<LedgerRptForm> LedgerForm::makePrint(const Names& names, const LedgerComputation& ledger,
                                                     Dataset& partner)
{
    std::unique_ptr<LedgerRptForm> report = names.makeReport(ledger.dataset(), partner);
    report->setPeriodTexts(ledger.PeriodFromText(), ledger.PeriodToText());
    return report;
}

QString LedgerForm::fileName(const Names& names, const QString& partnerCode, const LedgerComputation& ledger)
{
    return CsvWriter::proposedFileName(names.caption, {partnerCode},
                                       Formats::parseDate(ledger.PeriodFromText()),
                                       Formats::parseDate(ledger.PeriodToText()));
}

QVariant LedgerForm::rowBackground(const RowRef& row, int rowIndex) const
{
    // The carried-forward row and the slip rows stand out from their lines.
    if (row.field(kDispDate).isNull() || rowIndex == LedgerDataSet().currentRow())
        return {};
    return GridLedger->palette().color(QPalette::Button);
}
