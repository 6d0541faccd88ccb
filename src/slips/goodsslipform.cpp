#include "goodsslipform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "dbcodeedit.h"
#include "dbdateedit.h"
#include "dbeditgrid.h"
#include "dbpicklist.h"
#include "dbtext.h"
#include "fieldlink.h"
#include "sliplookups.h"

namespace {

std::unique_ptr<SlipEditor> makeGoodsEditor(::Connection& connection, const SlipKind& kind)
{
    return std::make_unique<GoodsSlipEditor>(connection, kind);
}

QLabel* totalLabel(const QString& name)
{
    auto* label = new QLabel(Money().toMoneyText());
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(110);
    return label;
}

}  // namespace

GoodsSlipForm::GoodsSlipForm(QWidget* owner, const SlipKind& kind) : SlipForm(owner, kind, &makeGoodsEditor)
{
    GoodsSlipEditor& slip = goods();

    classList = new DbPickList;
    classList->setObjectName(kind.classField);
    classList->setSource(slip.ClassDataSet, kind.classField, QStringLiteral("区分名"));
    classList->bind(slip.HeaderDataSet, kind.classField);
    DBComboEditEmployee = new DbCodeEdit;
    DBComboEditEmployee->setObjectName(QStringLiteral("DBComboEditEmployee"));
    DBComboEditEmployee->bind(slip.HeaderDataSet, QStringLiteral("担当者コード"), 2);
    DBTextEmployeeName = new DbText;
    DBTextEmployeeName->setObjectName(QStringLiteral("DBTextEmployeeName"));
    DBTextEmployeeName->setFrameShape(QFrame::StyledPanel);
    DBTextEmployeeName->setMinimumWidth(250);
    DBTextEmployeeName->bind(slip.EmployeeDataSet, QStringLiteral("担当者名"));

    DetailGrid = new DbEditGrid;
    DetailGrid->setObjectName(QStringLiteral("DetailGrid"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    DetailGrid->setDataset(
        slip.DetailDataSet,
        {
            {QStringLiteral("商品コード"), QStringLiteral("商品コード"), 107},
            {QStringLiteral("商品名"), QStringLiteral("商品名"), 172},
            {QStringLiteral("単位"), QStringLiteral("単位"), 49},
            {QStringLiteral("商品分類"), QStringLiteral("商品分類 *"), 107},
            {QStringLiteral("税区分"), QStringLiteral("税区分"), 73},
            {QStringLiteral("単価"), QStringLiteral("単価"), 55, right, DisplayFormat::Money},
            {QStringLiteral("税額"), QStringLiteral("税額"), 47, right, DisplayFormat::Money, true, true},
            {QStringLiteral("数量"), QStringLiteral("数量"), 44, right, DisplayFormat::Quantity},
            {QStringLiteral("税込合計"), QStringLiteral("税込合計"), 62, right, DisplayFormat::Money, true,
             true},
        });
    DetailGrid->setEllipsisColumn(QStringLiteral("商品コード"));
    resize(qMax(width(), DetailGrid->preferredWidth() + 48), height());  // every column in view
    DetailGrid->setPickListColumn(QStringLiteral("商品分類"), slip.ItemCategoDataSet,
                                  QStringLiteral("商品分類コード"), QStringLiteral("分類名"),
                                  QStringLiteral("商品分類コード"));
    DetailGrid->setPickListColumn(QStringLiteral("税区分"), slip.TaxCategoDataSet,
                                  QStringLiteral("税区分コード"), QStringLiteral("税区分名"),
                                  QStringLiteral("税区分コード"));
    DetailGrid->setMaxLength(QStringLiteral("商品コード"), 13);
    DetailGrid->setMaxLength(QStringLiteral("商品名"), 50);
    DetailGrid->setMaxLength(QStringLiteral("単位"), 8);
    // A code that found its item has filled name, unit, category, tax class and
    // price: Tab goes on to the quantity.
    DetailGrid->setTabSkip(
        QStringLiteral("商品コード"), QStringLiteral("数量"), [&lines = slip.DetailDataSet] {
            return lines.isEditing() && !lines.field(QStringLiteral("商品名")).asText().isEmpty() &&
                   !lines.field(QStringLiteral("商品分類コード")).asText().isEmpty();
        });
    exemptFromEnterAsTab(DetailGrid);

    LabelSum = totalLabel(QStringLiteral("LabelSum"));
    LabelTaxSum = totalLabel(QStringLiteral("LabelTaxSum"));
    LabelAllTotal = totalLabel(QStringLiteral("LabelAllTotal"));

    auto* header = new QGridLayout;
    header->addWidget(new QLabel(kind.dateField), 0, 0);
    header->addWidget(dateEdit, 0, 1, Qt::AlignLeft);
    header->addWidget(new QLabel(kind.classLabel), 0, 2);
    header->addWidget(classList, 0, 3, Qt::AlignLeft);
    header->addWidget(new QLabel(kind.partnerField()), 1, 0);
    auto* partnerRow = new QHBoxLayout;
    partnerRow->addWidget(partnerEdit);
    partnerRow->addWidget(partnerName, 1);
    header->addLayout(partnerRow, 1, 1, 1, 3);
    header->addWidget(new QLabel(QStringLiteral("担当者コード")), 2, 0);
    auto* employeeRow = new QHBoxLayout;
    employeeRow->addWidget(DBComboEditEmployee);
    employeeRow->addWidget(DBTextEmployeeName, 1);
    header->addLayout(employeeRow, 2, 1, 1, 3);
    header->setColumnStretch(4, 1);

    auto* totals = new QHBoxLayout;
    totals->addStretch(1);
    totals->addWidget(new QLabel(QStringLiteral("税抜合計")));
    totals->addWidget(LabelSum);
    totals->addWidget(new QLabel(QStringLiteral("税合計")));
    totals->addWidget(LabelTaxSum);
    totals->addWidget(new QLabel(QStringLiteral("税込合計")));
    totals->addWidget(LabelAllTotal);

    panelLayout()->addLayout(header);
    panelLayout()->addWidget(DetailGrid, 1);
    panelLayout()->addLayout(totals);

    setTabOrder(dateEdit, classList);
    setTabOrder(classList, partnerEdit);
    setTabOrder(partnerEdit, DBComboEditEmployee);
    setTabOrder(DBComboEditEmployee, DetailGrid);

    connect(DBComboEditEmployee, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { employeeEditButtonClick(); }); });
    connect(&DBComboEditEmployee->link(), &FieldLink::committed, this,
            [this] { runGuarded([this] { RefreshEmployee(); }); });
    connect(DetailGrid, &DbEditGrid::ellipsisClicked, this, [this](const QString& column) {
        if (column == QStringLiteral("商品コード"))
            runGuarded([this] { DetailGridEditButtonClick(); });
    });
}

void GoodsSlipForm::RefreshEmployee()
{
    goods().refreshEmployee(DBComboEditEmployee->text());
}

void GoodsSlipForm::refreshOtherLookups()
{
    RefreshEmployee();
    goods().refreshTaxRate();
}

void GoodsSlipForm::employeeEditButtonClick()
{
    if (const std::optional<QString> code = SlipLookups::pickEmployee(this))
        putChosenCode(DBComboEditEmployee, *code);
}

void GoodsSlipForm::DetailGridEditButtonClick()
{
    const std::optional<QString> code = SlipLookups::pickItem(this);
    if (!code)
        return;
    Dataset& lines = goods().DetailDataSet;
    lines.edit();  // on a slip without lines this starts the first one
    lines.setValue(QStringLiteral("商品コード"), *code);
}

void GoodsSlipForm::ShowTotals()
{
    try {
        const LineTax::SlipTotals totals = goods().totals();
        LabelSum->setText(totals.beforeTax().toMoneyText());
        LabelTaxSum->setText(totals.tax().toMoneyText());
        LabelAllTotal->setText(totals.withTax().toMoneyText());
    } catch (const LineAmountError&) {
        // A line being typed that does not fit: it is refused when confirmed.
    }
}
