#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include "datasetmodel.h"
#include "functionwindow.h"

class Dataset;
class DbGrid;
class QGridLayout;
class QLineEdit;
class QPushButton;

// The shared shape of the master lookup dialogs: a search area (empty where the
// dialog lists the whole table), a read-only result grid with whole-row
// selection, "OK" (the default button) and "キャンセル" (also Escape). The
// dialog returns the code of the row the user confirmed:
//
//     openModalWith<TFindItemDlg>(this, [](auto&) {}, [&](TFindItemDlg& dlg, int result) {
//         if (result == QDialog::Accepted) EditCode->setText(dlg.SelectedCode());
//     });
//
// "OK" is enabled only while the result is open and holds a row; a result that
// was never opened, or a failed search, counts as empty.
class MasterFindDlg : public FunctionWindow {
    Q_OBJECT

public:
    // The code of the row the user confirmed; empty until then.
    QString SelectedCode() const { return m_selectedCode; }

    Dataset* ResultDataSet = nullptr;
    DbGrid* GridResult = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

    // Takes the current row's code and closes with OK; nothing on an empty result.
    void ButtonOKClick();
    void GridResultDblClick();

    bool hasResultRows() const;

protected:
    // `codeColumn` is the column whose value SelectedCode returns.
    MasterFindDlg(QWidget* owner, const QString& caption, QSize size, const QString& codeColumn);

    void setResultColumns(QList<ColumnSpec> columns);
    // The grid of the search fields, above the result; rows of label and field,
    // with a "検索" button to the right. Built on first use.
    QGridLayout* searchLayout();
    QLineEdit* addSearchField(const QString& label);
    // Adds the search button to the right of the fields and returns it.
    QPushButton* addFindButton();
    // The order Tab follows: `fields`, then the grid, "OK" and "キャンセル".
    void setTabOrderFrom(const QList<QWidget*>& fields);

    void updateActions() override;

private:
    void takeCurrentCode();

    QString m_codeColumn;
    QString m_selectedCode;
    QWidget* m_searchArea = nullptr;
    QGridLayout* m_searchLayout = nullptr;
};
