#include "billissueform.h"

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "billissuerptform.h"
#include "csvexportaction.h"
#include "csvwriter.h"
#include "dbgrid.h"
#include "formats.h"
#include "reportpreview.h"

namespace {

const QString kMark = QStringLiteral("請求書印刷");

// Closes the company row and shows every bill again when printing ends, also
// after a failure.
class PrintScope {
public:
    PrintScope(BillComputation& bills, Dataset& company) : m_bills(bills), m_company(company) {}
    ~PrintScope()
    {
        try {
            m_company.close();
            m_bills.showMarkedOnly(false);
        } catch (...) {
            // The print's own error, if any, is the one reported.
        }
    }
    PrintScope(const PrintScope&) = delete;
    PrintScope& operator=(const PrintScope&) = delete;

private:
    BillComputation& m_bills;
    Dataset& m_company;
};

}  // namespace

TBillIssueForm::TBillIssueForm(QWidget* owner)
    : FunctionWindow(owner),
      YearEdit(new QLineEdit),
      MonthComboBox(new QComboBox),
      JvComboBoxCutOff(new QComboBox),
      ButtonDisp(new QPushButton(QStringLiteral("表示"))),
      GridList(new DbGrid),
      JvDBUltimGrid1(new DbGrid),
      m_bills(Connection),
      m_company(BillComputation::companyDataset(Connection)),
      m_preview(previewReport)
{
    ListDataSet().setObjectName(QStringLiteral("ListDataSet"));
    DetailDataSet().setObjectName(QStringLiteral("DetailDataSet"));
    ActionPrint = createAction(QStringLiteral("ActionPrint"), QStringLiteral("印刷"),
                               QKeySequence(ActionKey::Print), [this] { ActionPrintExecute(); });
    ActionClose = createCloseAction();
    buildControls();

    connect(ButtonDisp, &QPushButton::clicked, this, [this] { runGuarded([this] { BuildList(); }); });
    connect(GridList, &DbGrid::rowActivated, this, [this] { runGuarded([this] { GridListDblClick(); }); });
    FormCreate();
}

TBillIssueForm::~TBillIssueForm() = default;

void TBillIssueForm::buildControls()
{
    setWindowTitle(BillComputation::Title);
    resize(840, 600);

    YearEdit->setObjectName(QStringLiteral("YearEdit"));
    YearEdit->setMaxLength(4);
    YearEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), YearEdit));
    YearEdit->setFixedWidth(56);
    MonthComboBox->setObjectName(QStringLiteral("MonthComboBox"));
    for (int m = 1; m <= 12; ++m)
        MonthComboBox->addItem(QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')));
    JvComboBoxCutOff->setObjectName(QStringLiteral("JvComboBoxCutOff"));
    for (int d = 1; d <= 31; ++d)
        JvComboBoxCutOff->addItem(QStringLiteral("%1日").arg(d, 2, 10, QLatin1Char('0')));
    JvComboBoxCutOff->addItem(QStringLiteral("月末"));
    ButtonDisp->setObjectName(QStringLiteral("ButtonDisp"));

    GridList->setObjectName(QStringLiteral("GridList"));
    GridList->setDataset(ListDataSet(), BillComputation::listColumns());
    GridList->setSortable(true);
    GridList->setRowPainter([this](const RowRef& row, int rowIndex) { return rowBackground(row, rowIndex); });
    JvDBUltimGrid1->setObjectName(QStringLiteral("JvDBUltimGrid1"));
    JvDBUltimGrid1->setDataset(DetailDataSet(), BillComputation::lineColumns());

    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(YearEdit);
    choiceRow->addWidget(new QLabel(QStringLiteral("年")));
    choiceRow->addWidget(MonthComboBox);
    choiceRow->addWidget(new QLabel(QStringLiteral("月分請求")));
    choiceRow->addSpacing(16);
    choiceRow->addWidget(new QLabel(QStringLiteral("対象締日")));
    choiceRow->addWidget(JvComboBoxCutOff);
    choiceRow->addSpacing(16);
    choiceRow->addWidget(ButtonDisp);
    choiceRow->addStretch();

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(choiceRow);
    layout->addWidget(GridList, 1);
    layout->addWidget(new QLabel(QStringLiteral("請求月の売掛明細")));
    layout->addWidget(JvDBUltimGrid1, 1);
    QHBoxLayout* buttonRow = actionBar({ActionPrint, ActionClose});
    // The bills of the month go out; their lines are one customer's at a time.
    CsvExportAction::add(this, buttonRow, GridList, [this] { return fileName(m_bills); });
    layout->addLayout(buttonRow);
}

void TBillIssueForm::setInitialValues()
{
    const QDate today = QDate::currentDate();
    YearEdit->setText(QString::number(today.year()));
    MonthComboBox->setCurrentIndex(today.month() - 1);
    JvComboBoxCutOff->setCurrentIndex(BillComputation::MonthEnd - 1);
}

void TBillIssueForm::updateActions()
{
    ActionPrint->setEnabled(ListDataSet().isOpen() && !ListDataSet().isEmpty());
}

int TBillIssueForm::closingDay() const
{
    return JvComboBoxCutOff->currentIndex() + 1;
}

void TBillIssueForm::BuildList()
{
    // A year that is no year leaves both grids empty (the build closes them).
    ListDataSet().close();
    DetailDataSet().close();
    const int year = BillComputation::yearFromText(YearEdit->text());
    m_bills.build(year, MonthComboBox->currentIndex() + 1, closingDay());
}

void TBillIssueForm::GridListDblClick()
{
    if (!ListDataSet().isOpen() || ListDataSet().isEmpty())
        return;
    m_bills.toggleMark();
}

void TBillIssueForm::ActionPrintExecute()
{
    printBills(m_bills, *m_company, [this](const Report& report) { m_preview(this, report); });
}

void TBillIssueForm::printBills(BillComputation& bills, Dataset& company,
                                const std::function<void(const Report&)>& show)
{
    TBillIssueRptForm report(bills.list(), bills.lines(), company);
    PrintScope scope(bills, company);
    bills.showMarkedOnly(true);
    company.close();
    company.open();
    report.QRLabelDate.setCaption(QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日")));
    report.QRLabelBank.setCaption(company.field(QStringLiteral("取引銀行口座")).asText());
    show(report);
}

QString TBillIssueForm::fileName(const BillComputation& bills)
{
    const BillPeriod& period = bills.lastPeriod();
    return CsvWriter::proposedFileName(BillComputation::Title, {}, period.start, period.last());
}

QVariant TBillIssueForm::rowBackground(const RowRef& row, int rowIndex) const
{
    if (row.field(kMark).asInt() >= 0 || rowIndex == ListDataSet().currentRow())
        return {};
    return GridList->palette().color(QPalette::Button);
}
