#include "ledgerform.h"

#include <QCheckBox>
#include <QPalette>

#include "csvwriter.h"
#include "dbgrid.h"
#include "formats.h"
#include "ledgerrptform.h"
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
    : CodedLedgerWindow(
          owner,
          {.sql = names.ledger->side->rowByCodeQuery(),
           .dataSetName = names.ledger->side->objectName({}, QStringLiteral("DataSet")),
           .codeColumn = names.ledger->side->codeColumn,
           .nameColumn = names.ledger->side->nameColumn,
           .nameBoxName = names.ledger->side->objectName(QStringLiteral("DBText"), QStringLiteral("Name"))},
          names.dispDetailKey, previewReport),
      CheckBoxDetail(new QCheckBox(QStringLiteral("詳細表示"))),
      GridLedger(grid()),
      m_names(names),
      m_ledger(Connection, *names.ledger)
{
    LedgerDataSet().setObjectName(QStringLiteral("LedgerDataSet"));
    buildControls();

    connect(CheckBoxDetail, &QCheckBox::toggled, this,
            [this] { runGuarded([this] { CheckBoxDetailClick(); }); });
}

void LedgerForm::buildControls()
{
    setWindowTitle(m_names.caption);
    resize(860, 560);

    CheckBoxDetail->setObjectName(QStringLiteral("CheckBoxDetail"));
    CheckBoxDetail->setChecked(true);

    GridLedger->setDataset(LedgerDataSet(), columns(m_names));
    for (const QString& field : greyColumns(*m_names.ledger))
        GridLedger->setColumnTextColor(field, palette().color(QPalette::Disabled, QPalette::Text));
    GridLedger->setRowPainter(
        [this](const RowRef& row, int rowIndex) { return rowBackground(row, rowIndex); });

    // The file is named after the partner and the period of the rows shown.
    layOut(CheckBoxDetail, [this] { return fileName(m_names, shownCode(), m_ledger); });
}

Period LedgerForm::build(const QString& code, const QDate& from, const QDate& to)
{
    return m_ledger.build(code, from, to);
}

std::optional<QString> LedgerForm::lookUp()
{
    if (!m_names.lookUpPartner)
        return std::nullopt;
    return m_names.lookUpPartner(this);
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
    showPrint(*makePrint(m_names, m_ledger, shownMaster()));
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
