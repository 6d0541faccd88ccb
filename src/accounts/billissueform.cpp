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

constexpr auto kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr auto kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr auto kCentre = Qt::AlignHCenter | Qt::AlignVCenter;

QList<ColumnSpec> listColumns()
{
    constexpr auto balance = DisplayFormat::Balance;
    return {
        {QStringLiteral("顧客コード"), {}, 93, kLeft},
        {QStringLiteral("顧客名"), {}, 160, kLeft},
        {QStringLiteral("前月迄売掛残高"), QStringLiteral("前月繰越残高"), 100, kRight, balance},
        {QStringLiteral("今月以降入金額"), {}, 100, kRight, balance},
        {QStringLiteral("今月掛売合計"), {}, 100, kRight, balance},
        {QStringLiteral("今月請求額"), {}, 100, kRight, balance},
        {QStringLiteral("請求書印刷表示"), QStringLiteral("印刷"), 60, kCentre},
    };
}

QList<ColumnSpec> lineColumns()
{
    constexpr auto money = DisplayFormat::Money;
    return {
        {QStringLiteral("売上年月日"), {}, 87, kLeft, DisplayFormat::Date},
        {QStringLiteral("伝票番号"), {}, 60, kRight, DisplayFormat::Integer},
        {QStringLiteral("商品名"), {}, 228, kLeft},
        {QStringLiteral("単価"), {}, 55, kRight, money},
        {QStringLiteral("税額"), {}, 55, kRight, money},
        {QStringLiteral("数量"), {}, 55, kRight, DisplayFormat::Quantity},
        {QStringLiteral("単位"), {}, 55, kLeft},
        {QStringLiteral("金額"), {}, 55, kRight, money},
    };
}

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
      m_company(std::make_unique<Dataset>(Connection, QStringLiteral("SELECT * FROM m_自社情報"))),
      m_preview(previewReport)
{
    ListDataSet().setObjectName(QStringLiteral("ListDataSet"));
    DetailDataSet().setObjectName(QStringLiteral("DetailDataSet"));
    m_company->setObjectName(QStringLiteral("CompanyDataSet"));
    m_company->addCalculatedField(BillComputation::PostalCodeText, [](const RowRef& row) -> QVariant {
        return Formats::postalCodeText(row.value(QStringLiteral("郵便番号")));
    });
    // The mark as the grid shows it: a negative value reads "はい".
    ListDataSet().addCalculatedField(QStringLiteral("請求書印刷表示"), [](const RowRef& row) -> QVariant {
        return row.field(kMark).asInt() < 0 ? QStringLiteral("はい") : QStringLiteral("いいえ");
    });
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
    setWindowTitle(QStringLiteral("売掛請求"));
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
    GridList->setDataset(ListDataSet(), listColumns());
    GridList->setSortable(true);
    GridList->setRowPainter([this](const RowRef& row, int rowIndex) { return rowBackground(row, rowIndex); });
    JvDBUltimGrid1->setObjectName(QStringLiteral("JvDBUltimGrid1"));
    JvDBUltimGrid1->setDataset(DetailDataSet(), lineColumns());

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
    CsvExportAction::add(this, buttonRow, GridList, [this] {
        const BillPeriod& period = m_bills.lastPeriod();
        return CsvWriter::proposedFileName(windowTitle(), {}, period.start, period.last());
    });
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
    TBillIssueRptForm report(ListDataSet(), DetailDataSet(), CompanyDataSet());
    PrintScope scope(m_bills, CompanyDataSet());
    m_bills.showMarkedOnly(true);
    m_company->close();
    m_company->open();
    report.QRLabelDate.setCaption(QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日")));
    report.QRLabelBank.setCaption(m_company->field(QStringLiteral("取引銀行口座")).asText());
    m_preview(this, report);
}

QVariant TBillIssueForm::rowBackground(const RowRef& row, int rowIndex) const
{
    if (row.field(kMark).asInt() >= 0 || rowIndex == ListDataSet().currentRow())
        return {};
    return GridList->palette().color(QPalette::Button);
}
