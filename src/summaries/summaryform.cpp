#include "summaryform.h"

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

#include "csvexportaction.h"
#include "csvwriter.h"
#include "dataset.h"
#include "dbgrid.h"
#include "frozencolumns.h"
#include "report.h"
#include "reportpreview.h"
#include "summaryprint.h"

struct SummaryForm::TabParts {
    TabParts(::Connection& connection, const Tab& tab, SummaryBucket bucket)
        : summary(connection, *tab.group, bucket), grid(new DbGrid)
    {
    }
    SummaryComputation summary;
    DbGrid* grid;
    FrozenColumns* frozen = nullptr;
    Period period;  // of the rows shown
};

SummaryForm::SummaryForm(QWidget* owner, const Names& names)
    : FunctionWindow(owner),
      YearEdit(new QLineEdit),
      MonthComboBox(names.bucket == SummaryBucket::Day ? new QComboBox : nullptr),
      ButtonDisp(new QPushButton(QStringLiteral("表示"))),
      PageControl(names.pageControl.isEmpty() ? nullptr : new QTabWidget),
      m_names(names),
      m_preview(previewReport)
{
    for (const Tab& tab : names.tabs)
        m_tabs.push_back(std::make_unique<TabParts>(Connection, tab, names.bucket));
    // A summary row is no slip: "伝票表示" stays disabled.
    ActionDispDetail = createAction(QStringLiteral("ActionDispDetail"), QStringLiteral("伝票表示"), {}, {});
    ActionPrint = createAction(QStringLiteral("ActionPrint"), QStringLiteral("印刷"),
                               QKeySequence(ActionKey::Print), [this] { ActionPrintExecute(); });
    ActionDispDetail->setEnabled(false);
    ActionPrint->setEnabled(false);
    ActionClose = createCloseAction();
    buildControls();
    connect(ButtonDisp, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonDispClick(); }); });
}

SummaryForm::~SummaryForm() = default;

DbGrid* SummaryForm::grid(int tab) const
{
    return m_tabs.at(std::size_t(tab))->grid;
}

Dataset& SummaryForm::dataset(int tab) const
{
    return m_tabs.at(std::size_t(tab))->summary.dataset();
}

int SummaryForm::currentTab() const
{
    return PageControl ? PageControl->currentIndex() : 0;
}

FrozenColumns* SummaryForm::frozen(int tab) const
{
    return m_tabs.at(std::size_t(tab))->frozen;
}

void SummaryForm::buildControls()
{
    setWindowTitle(m_names.caption);
    resize(900, 520);

    YearEdit->setObjectName(QStringLiteral("YearEdit"));
    YearEdit->setMaxLength(4);
    YearEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), YearEdit));
    YearEdit->setFixedWidth(56);
    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));

    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(new QLabel(m_names.periodLabel));
    choiceRow->addWidget(YearEdit);
    choiceRow->addWidget(new QLabel(QStringLiteral("年")));
    if (MonthComboBox) {
        MonthComboBox->setObjectName(QStringLiteral("MonthComboBox"));
        for (int m = 1; m <= 12; ++m)
            MonthComboBox->addItem(QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')));
        choiceRow->addWidget(MonthComboBox);
        choiceRow->addWidget(new QLabel(QStringLiteral("月")));
    }
    choiceRow->addSpacing(16);
    choiceRow->addWidget(ButtonDisp);
    choiceRow->addStretch();

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(choiceRow);
    if (PageControl) {
        PageControl->setObjectName(m_names.pageControl);
        layout->addWidget(PageControl, 1);
    }

    for (std::size_t i = 0; i < m_tabs.size(); ++i) {
        const Tab& tab = m_names.tabs[i];
        TabParts& parts = *m_tabs[i];
        const SummaryGroup& g = *tab.group;
        parts.summary.dataset().setObjectName(tab.dataset);
        DbGrid* grid = parts.grid;
        grid->setObjectName(tab.grid);
        grid->setDataset(parts.summary.dataset(), SummaryComputation::columns(g, m_names.bucket));
        grid->setWholeRowSelection(false);
        grid->setSortable(true);
        // The 合計 column and the total row (番号 2) on the button face; the two
        // rows of the monthly summary are both rows of their own.
        const bool kinds = g.kinds;
        grid->setCellPainter([this, kinds](const RowRef& row, int, const QString& field) -> QVariant {
            if (field == QStringLiteral("合計") || (!kinds && row.field(QStringLiteral("番号")).asInt() == 2))
                return palette().color(QPalette::Button);
            return {};
        });
        parts.frozen = new FrozenColumns(grid, kinds ? 1 : 2);
        if (PageControl) {
            auto* page = new QWidget;
            page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
            auto* pageLayout = new QVBoxLayout(page);
            pageLayout->setContentsMargins(0, 0, 0, 0);
            pageLayout->addWidget(grid);
            // The caption with a full-width space on each side.
            PageControl->addTab(page, QStringLiteral("　%1　").arg(g.caption));
        } else {
            layout->addWidget(grid, 1);
        }
    }
    QHBoxLayout* bar = actionBar({ActionDispDetail, ActionPrint, ActionClose});
    // The tab shown goes out, named by the window, the tab and the period shown.
    const auto shownTab = [this] { return currentTab(); };
    CsvExportAction* csv = CsvExportAction::add(
        this, bar, [this, shownTab]() -> const DatasetModel* { return grid(shownTab())->datasetModel(); },
        [this, shownTab] { return fileName(m_names, shownTab(), m_shownPeriod); });
    if (PageControl)
        connect(PageControl, &QTabWidget::currentChanged, csv, &CsvExportAction::refresh);
    layout->addLayout(bar);
}

void SummaryForm::setInitialValues()
{
    const QDate today = QDate::currentDate();
    YearEdit->setText(QString::number(today.year()));
    if (MonthComboBox)
        MonthComboBox->setCurrentIndex(today.month() - 1);
}

void SummaryForm::updateActions()
{
    ActionDispDetail->setEnabled(false);
    const Dataset& shown = dataset(currentTab());
    ActionPrint->setEnabled(shown.isOpen() && !shown.isEmpty());
}

void SummaryForm::ActionPrintExecute()
{
    const TabParts& tab = *m_tabs.at(std::size_t(currentTab()));
    // The rows in the grid's order; the shading the grid paints.
    const std::unique_ptr<Report> report =
        summaryReport(m_names.caption, tab.summary, tab.period, tab.grid->palette().color(QPalette::Button));
    m_preview(this, *report);
}

void SummaryForm::ButtonDispClick()
{
    const int month = MonthComboBox ? MonthComboBox->currentIndex() + 1 : 0;
    Period period;
    try {
        period = SummaryComputation::periodOf(YearEdit->text(), month);
    } catch (const std::invalid_argument&) {
        // The first table is closed before its period is read.
        if (!m_tabs.empty())
            m_tabs.front()->summary.dataset().close();
        throw;
    }
    for (const auto& tab : m_tabs) {
        tab->summary.build(period);
        tab->period = period;
    }
    m_shownPeriod = period;
    if (MonthComboBox)
        setDayTitles(period.from.year(), month);
}

void SummaryForm::setDayTitles(int year, int month)
{
    const std::vector<BucketTitle> titles = SummaryComputation::dayTitles(year, month);
    const QStringList columns = SummaryComputation::bucketColumns(SummaryBucket::Day);
    for (const auto& tab : m_tabs) {
        DatasetModel* model = tab->grid->datasetModel();
        for (int d = 0; d < columns.size(); ++d) {
            QColor color;
            switch (titles[std::size_t(d)].tone) {
                case BucketTitle::Tone::Saturday:
                    color = QColor(0, 0, 255);
                    break;
                case BucketTitle::Tone::Sunday:
                    color = QColor(255, 0, 0);
                    break;
                case BucketTitle::Tone::Missing:
                    color = palette().color(QPalette::Disabled, QPalette::WindowText);
                    break;
                case BucketTitle::Tone::Plain:
                    break;
            }
            model->setColumnTitle(columns[d], titles[std::size_t(d)].text, color);
        }
    }
}

QString SummaryForm::fileName(const Names& names, int tab, const Period& period)
{
    QStringList inputs;
    if (!names.pageControl.isEmpty())
        inputs << names.tabs.at(std::size_t(tab)).group->caption;
    return CsvWriter::proposedFileName(names.caption, inputs, period.from, period.to);
}

// -- the named windows --------------------------------------------------------------

const SummaryForm::Names& TMonthSummaryForm::names()
{
    static const Names names{
        QStringLiteral("月間集計表"),
        QStringLiteral("集計年月"),
        {},
        SummaryBucket::Day,
        {{&SummaryGroup::salesAndBuying(), QStringLiteral("GridList"), QStringLiteral("ListDataSet")}}};
    return names;
}

TMonthSummaryForm::TMonthSummaryForm(QWidget* owner) : SummaryForm(owner, names())
{
    FormCreate();
}

namespace {

std::vector<SummaryForm::Tab> salesTabs()
{
    return {{&SummaryGroup::salesByItem(), QStringLiteral("GridListItem"), QStringLiteral("ListItemDataSet")},
            {&SummaryGroup::salesByCustomer(), QStringLiteral("GridListCustomer"),
             QStringLiteral("ListCustomerDataSet")},
            {&SummaryGroup::salesByStaff(), QStringLiteral("GridListEmployee"),
             QStringLiteral("ListEmployeeDataSet")}};
}

std::vector<SummaryForm::Tab> buyingTabs()
{
    return {
        {&SummaryGroup::buyingByItem(), QStringLiteral("GridListItem"), QStringLiteral("ListItemDataSet")},
        {&SummaryGroup::buyingBySupplier(), QStringLiteral("GridListSupplier"),
         QStringLiteral("ListSupplierDataSet")}};
}

}  // namespace

const SummaryForm::Names& TMonthSalesSummaryForm::names()
{
    static const Names names{QStringLiteral("月間売上集計表"), QStringLiteral("集計年月"),
                             QStringLiteral("PageControl"), SummaryBucket::Day, salesTabs()};
    return names;
}

TMonthSalesSummaryForm::TMonthSalesSummaryForm(QWidget* owner) : SummaryForm(owner, names())
{
    FormCreate();
}

const SummaryForm::Names& TMonthBuyingSummaryForm::names()
{
    static const Names names{QStringLiteral("月間仕入集計表"), QStringLiteral("集計年月"),
                             QStringLiteral("PageControl"), SummaryBucket::Day, buyingTabs()};
    return names;
}

TMonthBuyingSummaryForm::TMonthBuyingSummaryForm(QWidget* owner) : SummaryForm(owner, names())
{
    FormCreate();
}

const SummaryForm::Names& TYearSalesSummaryForm::names()
{
    static const Names names{QStringLiteral("年間売上集計表"), QStringLiteral("集計年"),
                             QStringLiteral("PageControl1"), SummaryBucket::Month, salesTabs()};
    return names;
}

TYearSalesSummaryForm::TYearSalesSummaryForm(QWidget* owner) : SummaryForm(owner, names())
{
    FormCreate();
}

const SummaryForm::Names& TYearBuyingSummaryForm::names()
{
    static const Names names{QStringLiteral("年間仕入集計表"), QStringLiteral("集計年"),
                             QStringLiteral("PageControl1"), SummaryBucket::Month, buyingTabs()};
    return names;
}

TYearBuyingSummaryForm::TYearBuyingSummaryForm(QWidget* owner) : SummaryForm(owner, names())
{
    FormCreate();
}
