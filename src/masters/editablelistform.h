#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <memory>

#include "datasetmodel.h"
#include "functionwindow.h"

class Dataset;
class DbEditGrid;
class QPushButton;

// A master table kept as a plain list (the unit list, the tax rates): one
// editable grid over the whole table, and "閉じる" (F12) as the only action.
// Each row is written when the cursor leaves it (or Enter posts it); a row the
// database refuses stays in editing in the grid for the user to correct or
// cancel with Escape. Enter belongs to the grid; there is no status bar and no
// idle refresh. Closing drops a row still being typed, without a question.
class EditableListForm : public FunctionWindow {
    Q_OBJECT

public:
    DbEditGrid* GridList;
    QPushButton* ButtonClose;
    QAction* ActionClose = nullptr;

    // What differs between the lists.
    struct ListLayout {
        QString caption;
        QString sql;  // the whole table in its order
        QString table;
        QString key;
        QList<ColumnSpec> columns;
        QSize gridSize;
        QString limitedColumn;  // a text column whose width the grid enforces
        int limit = 0;
    };

protected:
    EditableListForm(QWidget* owner, const ListLayout& layout);
    ~EditableListForm() override;

    Dataset& listDataSet() const { return *m_dataSet; }
    void openFixedLists() override;

private:
    std::unique_ptr<Dataset> m_dataSet;
};
