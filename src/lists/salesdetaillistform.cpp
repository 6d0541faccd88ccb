#include "salesdetaillistform.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QTabWidget>
#include <QVBoxLayout>

#include "csvexportaction.h"
#include "datepicker.h"
#include "dbgrid.h"
#include "inputsalesform.h"
#include "report.h"
#include "reportpreview.h"
#include "slipopener.h"

namespace {

QWidget* namedWidget(const char* name)
{
    auto* w = new QWidget;
    w->setObjectName(QLatin1String(name));
    return w;
}

DbGrid* namedGrid(const char* name)
{
    auto* grid = new DbGrid;
    grid->setObjectName(QLatin1String(name));
    return grid;
}

}  // namespace

const DetailListTab::Names& TSalesDetailListForm::tabNames(int index)
{
    using A = DetailList::Arrangement;
    static const DetailListTab::Names names[] = {
        {A::BySlip, QStringLiteral("売上明細表（伝票別）"), {}},
        {A::ByItem, QStringLiteral("売上明細表（商品別）"), QStringLiteral("伝票表示：商品毎　未実装")},
        {A::ByCustomer, QStringLiteral("売上明細表（顧客別）"), QStringLiteral("伝票表示：顧客毎　未実装")},
    };
    return names[index];
}

TSalesDetailListForm::TSalesDetailListForm(QWidget* owner)
    : PeriodWindow(owner, previewReport),
      PageControl(new QTabWidget),
      TabSheet1(namedWidget("TabSheet1")),
      TabSheet2(namedWidget("TabSheet2")),
      TabSheet3(namedWidget("TabSheet3")),
      GridListSlip(namedGrid("GridListSlip")),
      GridListItem(namedGrid("GridListItem")),
      GridListCustomer(namedGrid("GridListCustomer"))
{
    const PartnerSide& side = PartnerSide::customer();
    DbGrid* grids[] = {GridListSlip, GridListItem, GridListCustomer};
    const char* datasets[] = {"ListSlipDataSet", "ListItemDataSet", "ListCustomerDataSet"};
    const char* stems[] = {"Slip", "Item", "Customer"};
    QAction** disp[] = {&ActionDispSlip, &ActionDispItem, &ActionDispCustomer};
    QAction** print[] = {&ActionPrintSlip, &ActionPrintItem, &ActionPrintCustomer};
    for (int i = 0; i < 3; ++i) {
        auto tab = std::make_unique<DetailListTab>(Connection, side, tabNames(i), grids[i],
                                                   openSlipWindow<TInputSalesForm>);
        tab->dataset().setObjectName(QLatin1String(datasets[i]));
        DetailListTab* t = tab.get();
        // Every tab's actions start with the keys so that their buttons show them;
        // tabShown leaves the keys with the tab shown only.
        *disp[i] = tab->disp =
            createAction(QStringLiteral("ActionDisp") + QLatin1String(stems[i]), QStringLiteral("伝票表示"),
                         QKeySequence(ActionKey::DispDetail), [this, t] { t->showSlip(this); });
        *print[i] = tab->print =
            createAction(QStringLiteral("ActionPrint") + QLatin1String(stems[i]), QStringLiteral("印刷"),
                         QKeySequence(ActionKey::Print), [this, t] { showPrint(*t->makePrint()); });
        connect(grids[i], &DbGrid::rowActivated, this, [t] {
            if (t->disp->isEnabled())
                t->disp->trigger();
        });
        m_tabs[size_t(i)] = std::move(tab);
    }
    ActionClose = createCloseAction();
    buildControls();
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int index) { tabShown(index); });
    tabShown(0);
    FormCreate();
}

TSalesDetailListForm::~TSalesDetailListForm() = default;

void TSalesDetailListForm::buildControls()
{
    setWindowTitle(QStringLiteral("売上明細表"));
    resize(980, 600);
    PageControl->setObjectName(QStringLiteral("PageControl"));

    QWidget* sheets[] = {TabSheet1, TabSheet2, TabSheet3};
    const QString captions[] = {QStringLiteral("　伝票別　"), QStringLiteral("　商品別　"),
                                QStringLiteral("　顧客別　")};
    for (int i = 0; i < 3; ++i) {
        DetailListTab& tab = *m_tabs[size_t(i)];
        auto* layout = new QVBoxLayout(sheets[i]);
        layout->addWidget(tab.grid(), 1);
        QHBoxLayout* bar = actionBar({tab.disp, tab.print, ActionClose});
        // Each tab writes its own list.
        CsvExportAction::add(this, bar, tab.grid(), [t = &tab] { return t->csvFileName(); });
        layout->addLayout(bar);
        PageControl->addTab(sheets[i], captions[i]);
    }

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(periodRow(nullptr));
    layout->addWidget(PageControl, 1);
}

void TSalesDetailListForm::tabShown(int index)
{
    for (int i = 0; i < 3; ++i) {
        const bool shown = i == index;
        m_tabs[size_t(i)]->disp->setShortcut(shown ? QKeySequence(ActionKey::DispDetail) : QKeySequence());
        m_tabs[size_t(i)]->print->setShortcut(shown ? QKeySequence(ActionKey::Print) : QKeySequence());
    }
}

void TSalesDetailListForm::setInitialValues()
{
    const QDate today = QDate::currentDate();
    showPeriod(Period{today, today});
}

void TSalesDetailListForm::updateActions()
{
    for (const auto& tab : m_tabs)
        tab->updateActions();
}

void TSalesDetailListForm::ButtonDispClick()
{
    // A period of years takes seconds: the cursor says the window is working.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    const Period period = Period::ordered(JvDatePickerEditFrom->date(), JvDatePickerEditTo->date());
    showPeriod(period);
    for (const auto& tab : m_tabs)
        tab->build(period);
}
