#include "findslipdlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbgrid.h"
#include "dbtext.h"
#include "findbuyingdlg.h"
#include "findmoneyreceivedlg.h"
#include "findpaymentdlg.h"
#include "findsalesdlg.h"
#include "modal.h"
#include "sliplookups.h"
#include "slipsearch.h"

FindSlipDlg::FindSlipDlg(QWidget* owner, const SlipKind& kind)
    : FunctionWindow(owner),
      SlipDataSet(Connection),
      PartnerDataSet(Connection, kind.side->rowByCodeQuery()),
      m_kind(kind)
{
    setWindowTitle(kind.searchCaption);
    setFixedSize(552, 386);
    setEscapeCloses(true);
    SlipDataSet.setObjectName(QStringLiteral("SlipDataSet"));
    PartnerDataSet.setObjectName(kind.side->objectName({}, QStringLiteral("DataSet")));

    partnerEdit = new DbCodeEdit;
    partnerEdit->setObjectName(kind.side->objectName(QStringLiteral("ComboEdit")));
    partnerEdit->setMaxLength(13);
    partnerName = new DbText;
    partnerName->setObjectName(kind.side->objectName(QStringLiteral("DBText"), QStringLiteral("Name")));
    partnerName->setFrameShape(QFrame::StyledPanel);
    partnerName->setMinimumWidth(220);
    partnerName->bind(PartnerDataSet, kind.partnerNameField());

    CheckBoxFrom = new QCheckBox(QStringLiteral("開始"));
    CheckBoxFrom->setObjectName(QStringLiteral("CheckBoxFrom"));
    DatePickerFrom = new DatePicker;
    DatePickerFrom->setObjectName(QStringLiteral("DatePickerFrom"));
    CheckBoxTo = new QCheckBox(QStringLiteral("終了"));
    CheckBoxTo->setObjectName(QStringLiteral("CheckBoxTo"));
    DatePickerTo = new DatePicker;
    DatePickerTo->setObjectName(QStringLiteral("DatePickerTo"));
    for (DatePicker* picker : {DatePickerFrom, DatePickerTo}) {
        picker->setDate(QDate::currentDate());
        picker->setEnabled(false);
    }
    ButtonFind = new QPushButton(QStringLiteral("検索"));
    ButtonFind->setObjectName(QStringLiteral("ButtonFind"));

    GridResult = new DbGrid;
    GridResult->setObjectName(QStringLiteral("GridResult"));
    const auto centre = Qt::AlignHCenter | Qt::AlignVCenter;
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    GridResult->setDataset(
        SlipDataSet,
        {
            {QStringLiteral("伝票番号"), QStringLiteral("伝票番号"), 73, right, DisplayFormat::Integer},
            {kind.dateField, kind.dateField, 126, centre, DisplayFormat::Date},
            {kind.partnerNameField(), kind.partnerNameField(), 182},
            {QStringLiteral("伝票合計"), QStringLiteral("伝票合計"), 87, right, DisplayFormat::Money},
        });

    ButtonOK = new QPushButton(QStringLiteral("OK"));
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setEnabled(false);
    ButtonCancel = new QPushButton(QStringLiteral("キャンセル"));
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto* filter = new QGridLayout;
    filter->addWidget(new QLabel(kind.partnerField()), 0, 0);
    auto* partnerRow = new QHBoxLayout;
    partnerRow->addWidget(partnerEdit);
    partnerRow->addWidget(partnerName, 1);
    filter->addLayout(partnerRow, 0, 1);
    filter->addWidget(new QLabel(kind.dateField), 1, 0);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(CheckBoxFrom);
    dateRow->addWidget(DatePickerFrom);
    dateRow->addWidget(new QLabel(QStringLiteral("～")));
    dateRow->addWidget(CheckBoxTo);
    dateRow->addWidget(DatePickerTo);
    dateRow->addStretch(1);
    dateRow->addWidget(ButtonFind);
    filter->addLayout(dateRow, 1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(filter);
    layout->addWidget(GridResult, 1);
    layout->addLayout(buttons);

    connect(partnerEdit, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { partnerEditButtonClick(); }); });
    connect(partnerEdit, &DbEdit::exited, this, [this] { runGuarded([this] { partnerEditExit(); }); });
    connect(ButtonFind, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonFindClick(); }); });
    connect(ButtonOK, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonOKClick(); }); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(GridResult, &DbGrid::rowActivated, this, [this] {
        if (!SlipDataSet.isEmpty())
            runGuarded([this] { ButtonOKClick(); });
    });
    // The date fields follow their check boxes at once as well as at idle time.
    connect(CheckBoxFrom, &QCheckBox::toggled, DatePickerFrom, &QWidget::setEnabled);
    connect(CheckBoxTo, &QCheckBox::toggled, DatePickerTo, &QWidget::setEnabled);
}

std::optional<int> FindSlipDlg::pick(QWidget* owner, const SlipKind& kind)
{
    std::optional<int> slipNo;
    const auto finish = [&slipNo](FindSlipDlg& dlg, int result) {
        if (result == QDialog::Accepted)
            slipNo = dlg.SelectedSlipNo();
    };
    const auto prepare = [](FindSlipDlg&) {};
    if (&kind == &SlipKind::sales())
        openModalWith<TFindSalesDlg>(owner, prepare, finish);
    else if (&kind == &SlipKind::buying())
        openModalWith<TFindBuyingDlg>(owner, prepare, finish);
    else if (&kind == &SlipKind::moneyReceive())
        openModalWith<TFindMoneyReceiveDlg>(owner, prepare, finish);
    else
        openModalWith<TFindPaymentDlg>(owner, prepare, finish);
    return slipNo;
}

void FindSlipDlg::updateActions()
{
    DatePickerFrom->setEnabled(CheckBoxFrom->isChecked());
    DatePickerTo->setEnabled(CheckBoxTo->isChecked());
    ButtonOK->setEnabled(SlipDataSet.isOpen() && !SlipDataSet.isEmpty());
}

void FindSlipDlg::partnerEditButtonClick()
{
    const std::optional<QString> code = SlipLookups::pickPartner(this, *m_kind.side);
    if (!code)
        return;
    partnerEdit->setText(*code);
    focusNextChild();  // leaving the field looks the partner up
}

// A code no partner has is erased: the search never filters on it.
void FindSlipDlg::partnerEditExit()
{
    PartnerDataSet.close();
    PartnerDataSet.setParam(QStringLiteral("Code"), partnerEdit->text());
    PartnerDataSet.open();
    if (PartnerDataSet.isEmpty()) {
        PartnerDataSet.close();
        partnerEdit->clear();
    }
}

void FindSlipDlg::ButtonFindClick()
{
    if (CheckBoxFrom->isChecked() && CheckBoxTo->isChecked() &&
        DatePickerTo->date() < DatePickerFrom->date()) {
        const QDate from = DatePickerFrom->date();
        DatePickerFrom->setDate(DatePickerTo->date());
        DatePickerTo->setDate(from);
    }
    SlipSearch::Filter filter;
    filter.partnerCode = partnerEdit->text();
    if (CheckBoxFrom->isChecked())
        filter.from = DatePickerFrom->date();
    if (CheckBoxTo->isChecked())
        filter.to = DatePickerTo->date();
    SlipSearch::run(SlipDataSet, m_kind, filter);
}

void FindSlipDlg::ButtonOKClick()
{
    if (!SlipDataSet.isOpen() || SlipDataSet.currentRow() < 0)
        return;
    m_selectedSlipNo = int(SlipDataSet.field(QStringLiteral("伝票番号")).asInt());
    accept();
}
