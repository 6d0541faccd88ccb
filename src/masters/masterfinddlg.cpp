#include "masterfinddlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dataset.h"
#include "dbgrid.h"

MasterFindDlg::MasterFindDlg(QWidget* owner, const QString& caption, QSize size, const QString& codeColumn)
    : FunctionWindow(owner), m_codeColumn(codeColumn)
{
    setWindowTitle(caption);
    resize(size);
    setEscapeCloses(true);

    ResultDataSet = new Dataset(Connection, {}, this);
    ResultDataSet->setObjectName(QStringLiteral("ResultDataSet"));

    m_searchArea = new QWidget(body());
    m_searchArea->hide();  // shown once a search field is added
    GridResult = new DbGrid(body());
    GridResult->setObjectName(QStringLiteral("GridResult"));
    GridResult->setWholeRowSelection(true);

    ButtonOK = new QPushButton(QStringLiteral("OK"), body());
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonOK->setEnabled(false);
    ButtonCancel = new QPushButton(QStringLiteral("キャンセル"), body());
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);

    auto* layout = new QVBoxLayout(body());
    layout->addWidget(m_searchArea);
    layout->addWidget(GridResult, 1);
    layout->addLayout(buttons);

    connect(ButtonOK, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonOKClick(); }); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(GridResult, &DbGrid::rowActivated, this,
            [this] { runGuarded([this] { GridResultDblClick(); }); });
}

void MasterFindDlg::setResultColumns(QList<ColumnSpec> columns)
{
    GridResult->setDataset(*ResultDataSet, std::move(columns));
}

QGridLayout* MasterFindDlg::searchLayout()
{
    if (!m_searchLayout) {
        m_searchLayout = new QGridLayout(m_searchArea);
        m_searchLayout->setContentsMargins(0, 0, 0, 0);
        m_searchLayout->setColumnStretch(1, 1);
        m_searchArea->show();
    }
    return m_searchLayout;
}

QLineEdit* MasterFindDlg::addSearchField(const QString& label)
{
    QGridLayout* grid = searchLayout();
    const int row = grid->rowCount() == 1 && !grid->itemAtPosition(0, 0) ? 0 : grid->rowCount();
    auto* edit = new QLineEdit(m_searchArea);
    auto* caption = new QLabel(label, m_searchArea);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

QPushButton* MasterFindDlg::addFindButton()
{
    auto* button = new QPushButton(QStringLiteral("検索"), m_searchArea);
    button->setObjectName(QStringLiteral("ButtonFind"));
    button->setAutoDefault(false);
    searchLayout()->addWidget(button, 0, 2, Qt::AlignTop);
    return button;
}

void MasterFindDlg::setTabOrderFrom(const QList<QWidget*>& fields)
{
    QList<QWidget*> chain = fields;
    chain << GridResult << ButtonOK << ButtonCancel;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

bool MasterFindDlg::hasResultRows() const
{
    return ResultDataSet->isOpen() && !ResultDataSet->isEmpty();
}

void MasterFindDlg::takeCurrentCode()
{
    m_selectedCode = ResultDataSet->field(m_codeColumn).asText();
}

void MasterFindDlg::ButtonOKClick()
{
    if (!hasResultRows())
        return;
    takeCurrentCode();
    accept();
}

void MasterFindDlg::GridResultDblClick()
{
    if (!hasResultRows() || ResultDataSet->currentRow() < 0)
        return;
    takeCurrentCode();
    accept();
}

void MasterFindDlg::updateActions()
{
    ButtonOK->setEnabled(hasResultRows());
}
