#include "editablelistform.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "dataset.h"
#include "dbeditgrid.h"

EditableListForm::EditableListForm(QWidget* owner, const ListLayout& layout)
    : FunctionWindow(owner),
      GridList(new DbEditGrid),
      ButtonClose(new QPushButton),
      m_dataSet(std::make_unique<Dataset>(Connection, layout.sql))
{
    setWindowTitle(layout.caption);
    resize(720, 480);
    setEnterAsTab(false);

    m_dataSet->setWriteTarget(layout.table, {layout.key}, Dataset::WriteMode::Immediate);
    GridList->setObjectName(QStringLiteral("GridList"));
    GridList->setDataset(*m_dataSet, layout.columns);
    if (layout.limit > 0)
        GridList->setMaxLength(layout.limitedColumn, layout.limit);
    // The grid keeps its width; it grows downwards with the window.
    GridList->setFixedWidth(layout.gridSize.width());
    GridList->setMinimumHeight(layout.gridSize.height());

    ActionClose = createCloseAction();
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    bindButton(ButtonClose, ActionClose);

    auto* content = new QHBoxLayout;
    content->addWidget(GridList);
    content->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonClose);
    auto* root = new QVBoxLayout(body());
    root->addLayout(content, 1);
    root->addLayout(buttons);
}

EditableListForm::~EditableListForm()
{
    // A cell still open is closed while the grid is whole: its editor would
    // otherwise tell a grid half torn down that the focus left it. Nothing is
    // written by this: the row is not posted.
    if (QWidget* focused = QApplication::focusWidget(); focused && GridList->isAncestorOf(focused))
        focused->clearFocus();
    // The grid goes before its dataset, which goes while the connection is open.
    delete GridList;
}

void EditableListForm::openFixedLists()
{
    m_dataSet->open();
}
