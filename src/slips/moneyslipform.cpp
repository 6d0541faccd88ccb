#include "moneyslipform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "dbcodeedit.h"
#include "dbdateedit.h"
#include "dbeditgrid.h"
#include "dbtext.h"

namespace {

std::unique_ptr<SlipEditor> makeMoneyEditor(::Connection& connection, const SlipKind& kind)
{
    return std::make_unique<MoneySlipEditor>(connection, kind);
}

}  // namespace

MoneySlipForm::MoneySlipForm(QWidget* owner, const SlipKind& kind) : SlipForm(owner, kind, &makeMoneyEditor)
{
    MoneySlipEditor& slip = money();

    GridDetail = new DbEditGrid;
    GridDetail->setObjectName(QStringLiteral("GridDetail"));
    GridDetail->setDataset(slip.DetailDataSet, {
                                                   {QStringLiteral("区分"), QStringLiteral("区分"), 98},
                                                   {QStringLiteral("金額"), QStringLiteral("金額"), 105,
                                                    Qt::AlignRight | Qt::AlignVCenter, DisplayFormat::Money},
                                                   {QStringLiteral("摘要"), QStringLiteral("摘要"), 378},
                                               });
    GridDetail->setPickListColumn(QStringLiteral("区分"), slip.CategoDataSet, kind.lineClassKey,
                                  QStringLiteral("区分名"), QStringLiteral("区分コード"));
    GridDetail->setMaxLength(QStringLiteral("摘要"), 50);
    exemptFromEnterAsTab(GridDetail);

    LabelSum = new QLabel(Money().toMoneyText());
    LabelSum->setObjectName(QStringLiteral("LabelSum"));
    LabelSum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelSum->setFrameShape(QFrame::StyledPanel);
    LabelSum->setMinimumWidth(110);

    auto* header = new QGridLayout;
    header->addWidget(new QLabel(kind.dateField), 0, 0);
    header->addWidget(dateEdit, 0, 1, Qt::AlignLeft);
    header->addWidget(new QLabel(kind.partnerField()), 1, 0);
    auto* partnerRow = new QHBoxLayout;
    partnerRow->addWidget(partnerEdit);
    partnerRow->addWidget(partnerName, 1);
    header->addLayout(partnerRow, 1, 1);
    header->setColumnStretch(2, 1);

    auto* total = new QHBoxLayout;
    total->addStretch(1);
    total->addWidget(new QLabel(QStringLiteral("合計金額")));
    total->addWidget(LabelSum);

    panelLayout()->addLayout(header);
    panelLayout()->addWidget(GridDetail, 1);
    panelLayout()->addLayout(total);

    setTabOrder(dateEdit, partnerEdit);
    setTabOrder(partnerEdit, GridDetail);
}

void MoneySlipForm::ShowTotals()
{
    try {
        LabelSum->setText(money().total().toMoneyText());
    } catch (const MoneyOverflow&) {
        // A line being typed that does not fit: it is refused when confirmed.
    }
}
