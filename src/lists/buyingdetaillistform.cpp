#include "buyingdetaillistform.h"

#include <QGuiApplication>
#include <QScopeGuard>

#include "datepicker.h"
#include "dbgrid.h"
#include "inputbuyingform.h"
#include "report.h"
#include "reportpreview.h"
#include "slipopener.h"

const DetailListTab::Names& TBuyingDetailListForm::listNames()
{
    static const DetailListTab::Names names{
        DetailList::Arrangement::BySlip, QStringLiteral("仕入明細表"), {}};
    return names;
}

TBuyingDetailListForm::TBuyingDetailListForm(QWidget* owner)
    : PeriodListWindow(owner, QStringLiteral("GridList"), QStringLiteral("伝票表示"),
                       QKeySequence(ActionKey::DispDetail), previewReport),
      GridList(grid()),
      m_tab(std::make_unique<DetailListTab>(Connection, PartnerSide::supplier(), listNames(), GridList,
                                            openSlipWindow<TInputBuyingForm>))
{
    ListDataSet().setObjectName(QStringLiteral("ListDataSet"));
    m_tab->disp = ActionDispDetail;
    m_tab->print = ActionPrint;
    setWindowTitle(QStringLiteral("仕入明細表"));
    resize(980, 600);
    layOut(nullptr, nullptr, nullptr, [this] { return m_tab->csvFileName(); });
    FormCreate();
}

TBuyingDetailListForm::~TBuyingDetailListForm() = default;

void TBuyingDetailListForm::setInitialValues()
{
    const QDate today = QDate::currentDate();
    showPeriod(Period{today, today});
}

void TBuyingDetailListForm::ButtonDispClick()
{
    // A period of years takes seconds: the cursor says the window is working.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    const Period period = Period::ordered(JvDatePickerEditFrom->date(), JvDatePickerEditTo->date());
    showPeriod(period);
    m_tab->build(period);
}

void TBuyingDetailListForm::ActionDispDetailExecute()
{
    m_tab->showSlip(this);
}

void TBuyingDetailListForm::ActionPrintExecute()
{
    showPrint(*m_tab->makePrint());
}
