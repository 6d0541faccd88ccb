#include "finditemdlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dataset.h"
#include "masterlookup.h"
#include "picklistsource.h"

TFindItemDlg::TFindItemDlg(QWidget* owner)
    : MasterFindDlg(owner, QStringLiteral("商品検索"), QSize(552, 386), QStringLiteral("商品コード"))
{
    CategoryDataSet = new Dataset(Connection, MasterLookup::itemCategoriesSql(), this);
    CategoryDataSet->setObjectName(QStringLiteral("CategoryDataSet"));

    EditCode = addSearchField(QStringLiteral("商品コード"));
    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditName = addSearchField(QStringLiteral("商品名"));
    EditName->setObjectName(QStringLiteral("EditName"));
    EditKana = addSearchField(QStringLiteral("商品名カナ"));
    EditKana->setObjectName(QStringLiteral("EditKana"));

    ComboCategory = new QComboBox;
    ComboCategory->setObjectName(QStringLiteral("ComboCategory"));
    QGridLayout* grid = searchLayout();
    auto* label = new QLabel(QStringLiteral("商品分類"));
    label->setBuddy(ComboCategory);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(ComboCategory, row, 1);

    ButtonFind = addFindButton();
    setTabOrderFrom({EditCode, EditName, EditKana, ComboCategory, ButtonFind});

    setResultColumns({
        {QStringLiteral("商品コード"), QStringLiteral("商品コード"), 110},
        {QStringLiteral("商品名"), QStringLiteral("商品名"), 220},
        {QStringLiteral("商品名カナ"), QStringLiteral("商品名カナ"), 180},
    });
    connect(ButtonFind, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonFindClick(); }); });
    EditCode->setFocus();
    FormCreate();
}

void TFindItemDlg::openFixedLists()
{
    CategoryDataSet->open();
    QList<PickListItem> items{{QVariant(), QString()}};
    items +=
        PickListSource{CategoryDataSet, QStringLiteral("商品分類コード"), QStringLiteral("分類名")}.items();
    PickListSource::fill(*ComboCategory, items);
    ComboCategory->setCurrentIndex(0);
}

void TFindItemDlg::ButtonFindClick()
{
    ResultDataSet->close();
    MasterLookup::prepareItemSearch(
        *ResultDataSet, {EditCode->text(), EditName->text(), EditKana->text(), ComboCategory->currentData()});
    ResultDataSet->open();
}
