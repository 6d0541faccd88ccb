#include "buyingdetaillistform.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include "csvexportaction.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "inputbuyingform.h"
#include "periodrow.h"
#include "reportpreview.h"
#include "slipopener.h"

const DetailListTab::Names& TBuyingDetailListForm::listNames()
{
    static const DetailListTab::Names names{
        DetailList::Arrangement::BySlip, QStringLiteral("仕入明細表"), {}};
    return names;
}

TBuyingDetailListForm::TBuyingDetailListForm(QWidget* owner)
    : FunctionWindow(owner),
      m_periodRow(new PeriodRow),
      JvDatePickerEditFrom(m_periodRow->from),
      JvDatePickerEditTo(m_periodRow->to),
      ButtonDisp(new QPushButton(QStringLiteral("表示"))),
      GridList(new DbGrid),
      m_preview(previewReport)
{
    m_tab = std::make_unique<DetailListTab>(Connection, PartnerSide::supplier(), listNames(), GridList,
                                            openSlipWindow<TInputBuyingForm>);
    ListDataSet().setObjectName(QStringLiteral("ListDataSet"));
    ActionDispDetail = m_tab->disp =
        createAction(QStringLiteral("ActionDispDetail"), QStringLiteral("伝票表示"),
                     QKeySequence(ActionKey::DispDetail), [this] { m_tab->showSlip(this); });
    ActionPrint = m_tab->print =
        createAction(QStringLiteral("ActionPrint"), QStringLiteral("印刷"), QKeySequence(ActionKey::Print),
                     [this] { m_tab->printList(this, m_preview); });
    ActionClose = createCloseAction();

    setWindowTitle(QStringLiteral("仕入明細表"));
    resize(980, 600);
    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));
    GridList->setObjectName(QStringLiteral("GridList"));
    m_periodRow->addSpacing(16);
    m_periodRow->addWidget(ButtonDisp);
    m_periodRow->addStretch();
    auto* layout = new QVBoxLayout(body());
    layout->addLayout(m_periodRow);
    layout->addWidget(GridList, 1);
    QHBoxLayout* buttonRow = actionBar({ActionDispDetail, ActionPrint, ActionClose});
    CsvExportAction::add(this, buttonRow, GridList, [this] { return m_tab->csvFileName(); });
    layout->addLayout(buttonRow);

    connect(ButtonDisp, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonDispClick(); }); });
    connect(GridList, &DbGrid::rowActivated, this, [this] {
        if (ActionDispDetail->isEnabled())
            ActionDispDetail->trigger();
    });
    FormCreate();
}

TBuyingDetailListForm::~TBuyingDetailListForm() = default;

void TBuyingDetailListForm::setInitialValues()
{
    const QDate today = QDate::currentDate();
    m_periodRow->show(Period{today, today});
}

void TBuyingDetailListForm::updateActions()
{
    m_tab->updateActions();
}

void TBuyingDetailListForm::ButtonDispClick()
{
    // A period of years takes seconds: the cursor says the window is working.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    const Period period = Period::ordered(JvDatePickerEditFrom->date(), JvDatePickerEditTo->date());
    m_periodRow->show(period);
    m_tab->build(period);
}
