#include "periodlistwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "csvexportaction.h"
#include "dataset.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "period.h"
#include "periodrow.h"

PeriodWindow::PeriodWindow(QWidget* owner, ReportPreview preview)
    : FunctionWindow(owner),
      m_periodRow(new PeriodRow),
      JvDatePickerEditFrom(m_periodRow->from),
      JvDatePickerEditTo(m_periodRow->to),
      ButtonDisp(new QPushButton(QStringLiteral("表示"))),
      m_preview(std::move(preview))
{
    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));
    connect(ButtonDisp, &QPushButton::clicked, this, [this] { runGuarded([this] { display(); }); });
}

void PeriodWindow::showPeriod(const Period& period)
{
    m_periodRow->show(period);
}

void PeriodWindow::showPrint(const Report& report)
{
    m_preview(this, report);
}

QLayout* PeriodWindow::periodRow(QWidget* beforeDisp)
{
    PeriodRow* periodRow = m_periodRow;
    periodRow->addSpacing(16);
    if (beforeDisp) {
        periodRow->addWidget(beforeDisp);
        periodRow->addSpacing(16);
    }
    periodRow->addWidget(ButtonDisp);
    periodRow->addStretch();
    return periodRow;
}

void PeriodWindow::setInitialValues()
{
    m_periodRow->setMonthOf(QDate::currentDate());
}

PeriodListWindow::PeriodListWindow(QWidget* owner, const QString& gridName, const QString& dispDetail,
                                   const QKeySequence& dispDetailKey, ReportPreview preview)
    : PeriodWindow(owner, std::move(preview)), m_grid(new DbGrid)
{
    m_grid->setObjectName(gridName);
    ActionDispDetail = createAction(QStringLiteral("ActionDispDetail"), dispDetail, dispDetailKey,
                                    [this] { ActionDispDetailExecute(); });
    ActionPrint = createAction(QStringLiteral("ActionPrint"), QStringLiteral("印刷"),
                               QKeySequence(ActionKey::Print), [this] { ActionPrintExecute(); });
    ActionClose = createCloseAction();

    connect(m_grid, &DbGrid::rowActivated, this, [this] { ActionDispDetail->trigger(); });
}

void PeriodListWindow::layOut(QLayout* above, QWidget* beforeDisp, QLayout* listArea,
                              std::function<QString()> csvFileName)
{
    QLayout* periodRowLayout = periodRow(beforeDisp);

    QHBoxLayout* buttonRow = actionBar({ActionDispDetail, ActionPrint, ActionClose});
    CsvExportAction::add(this, buttonRow, m_grid, std::move(csvFileName));

    auto* layout = new QVBoxLayout(body());
    if (above)
        layout->addLayout(above);
    layout->addLayout(periodRowLayout);
    if (listArea)
        layout->addLayout(listArea, 1);
    else
        layout->addWidget(m_grid, 1);
    layout->addLayout(buttonRow);
}

void PeriodListWindow::updateActions()
{
    const bool rows = hasRows();
    ActionDispDetail->setEnabled(rows);
    ActionPrint->setEnabled(rows);
}

bool PeriodListWindow::hasRows() const
{
    return shownRows().isOpen() && !shownRows().isEmpty();
}

CodedLedgerWindow::CodedLedgerWindow(QWidget* owner, const Master& master, const QKeySequence& dispDetailKey,
                                     ReportPreview preview)
    : PeriodListWindow(owner, QStringLiteral("GridLedger"), QStringLiteral("伝票表示"), dispDetailKey,
                       std::move(preview)),
      EditCode(new DbCodeEdit),
      m_codeColumn(master.codeColumn),
      m_master(std::make_unique<Dataset>(Connection, master.sql)),
      m_shownMaster(std::make_unique<Dataset>(Connection, master.sql)),
      m_nameBox(new DbText)
{
    m_master->setObjectName(master.dataSetName);
    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditCode->setMaxLength(13);
    EditCode->setMinimumWidth(120);
    m_nameBox->setObjectName(master.nameBoxName);
    m_nameBox->setFrameShape(QFrame::Panel);
    m_nameBox->setFrameShadow(QFrame::Sunken);
    m_nameBox->setMinimumWidth(260);
    m_nameBox->bind(*m_master, master.nameColumn);

    connect(EditCode, &DbCodeEdit::exited, this, [this] { runGuarded([this] { EditCodeExit(); }); });
    connect(EditCode, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { EditCodeButtonClick(); }); });
}

CodedLedgerWindow::~CodedLedgerWindow() = default;

void CodedLedgerWindow::layOut(QWidget* beforeDisp, std::function<QString()> csvFileName)
{
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(new QLabel(m_codeColumn));
    codeRow->addWidget(EditCode);
    codeRow->addWidget(m_nameBox);
    codeRow->addStretch();
    PeriodListWindow::layOut(codeRow, beforeDisp, nullptr, std::move(csvFileName));
}

void CodedLedgerWindow::updateActions()
{
    ButtonDisp->setEnabled(masterLoadedAsTyped());
    PeriodListWindow::updateActions();
}

bool CodedLedgerWindow::hasRows() const
{
    // A ledger counts as shown once built, even without a row.
    return shownRows().isOpen();
}

QString CodedLedgerWindow::shownCode() const
{
    return m_shownMaster->isOpen() && !m_shownMaster->isEmpty() ? m_shownMaster->field(m_codeColumn).asText()
                                                                : QString();
}

bool CodedLedgerWindow::masterLoadedAsTyped() const
{
    if (!m_master->isOpen() || m_master->isEmpty())
        return false;
    const Field code = m_master->field(m_codeColumn);
    return !code.isNull() && code.asText() == EditCode->text();
}

void CodedLedgerWindow::loadMaster(const QString& code)
{
    m_master->close();
    m_master->setParam(QStringLiteral("Code"), code);
    m_master->open();
}

void CodedLedgerWindow::EditCodeExit()
{
    loadMaster(EditCode->text());
}

void CodedLedgerWindow::EditCodeButtonClick()
{
    if (const std::optional<QString> code = lookUp()) {
        EditCode->setText(*code);
        // As if the code had been typed and the field left. The focus may come
        // back to this window only after the dialog is gone, so the record is
        // loaded here rather than left to the field's exit.
        EditCodeExit();
        EditCode->setFocus(Qt::OtherFocusReason);
        focusNextChild();
    }
}

void CodedLedgerWindow::BuildLedger()
{
    // The record comes from the looked-up row, never from the text of the field.
    const QString code =
        m_master->isOpen() && !m_master->isEmpty() ? m_master->field(m_codeColumn).asText() : QString();
    m_shownMaster->close();
    showPeriod(build(code, JvDatePickerEditFrom->date(), JvDatePickerEditTo->date()));
    m_shownMaster->setParam(QStringLiteral("Code"), code);
    m_shownMaster->open();
}

void CodedLedgerWindow::openOn(const QString& code, const QDate& from, const QDate& to)
{
    runGuarded([&] {
        JvDatePickerEditFrom->setDate(from);
        JvDatePickerEditTo->setDate(to);
        EditCode->setText(code);
        loadMaster(code);
        BuildLedger();
    });
}
