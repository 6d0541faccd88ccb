#include "partnerfinddlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "dataset.h"

PartnerFindDlg::PartnerFindDlg(QWidget* owner, const QString& caption, const PartnerSide& side)
    : MasterFindDlg(owner, caption, QSize(552, 386), side.codeColumn), m_side(side)
{
    EditCode = addSearchField(side.codeColumn);
    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditName = addSearchField(side.nameColumn);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditKana = addSearchField(side.kanaColumn);
    EditKana->setObjectName(QStringLiteral("EditKana"));
    EditTel = addSearchField(QStringLiteral("電話番号"));
    EditTel->setObjectName(QStringLiteral("EditTel"));
    ButtonFind = addFindButton();
    setTabOrderFrom({EditCode, EditName, EditKana, EditTel, ButtonFind});

    setResultColumns({
        {side.codeColumn, side.codeColumn, 100},
        {side.nameColumn, side.nameColumn, 160},
        {side.kanaColumn, side.kanaColumn, 140},
        {QStringLiteral("電話番号"), QStringLiteral("電話番号"), 110},
    });
    connect(ButtonFind, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonFindClick(); }); });
    EditCode->setFocus();
}

void PartnerFindDlg::ButtonFindClick()
{
    ResultDataSet->close();
    MasterLookup::preparePartnerSearch(
        *ResultDataSet, m_side, {EditCode->text(), EditName->text(), EditKana->text(), EditTel->text()});
    ResultDataSet->open();
}
