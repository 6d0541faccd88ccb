#include "partnerfinddlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "dataset.h"

PartnerFindDlg::PartnerFindDlg(QWidget* owner, const QString& caption,
                               const MasterLookup::PartnerNames& names)
    : MasterFindDlg(owner, caption, QSize(552, 386), names.codeColumn), m_names(names)
{
    EditCode = addSearchField(names.codeColumn);
    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditName = addSearchField(names.nameColumn);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditKana = addSearchField(names.kanaColumn);
    EditKana->setObjectName(QStringLiteral("EditKana"));
    EditTel = addSearchField(names.telColumn);
    EditTel->setObjectName(QStringLiteral("EditTel"));
    ButtonFind = addFindButton();
    setTabOrderFrom({EditCode, EditName, EditKana, EditTel, ButtonFind});

    setResultColumns({
        {names.codeColumn, names.codeColumn, 100},
        {names.nameColumn, names.nameColumn, 160},
        {names.kanaColumn, names.kanaColumn, 140},
        {names.telColumn, names.telColumn, 110},
    });
    connect(ButtonFind, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonFindClick(); }); });
    EditCode->setFocus();
}

void PartnerFindDlg::ButtonFindClick()
{
    ResultDataSet->close();
    MasterLookup::preparePartnerSearch(
        *ResultDataSet, m_names, {EditCode->text(), EditName->text(), EditKana->text(), EditTel->text()});
    ResultDataSet->open();
}
