#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

#include "codelookup.h"
#include "functionwindow.h"
#include "mastertables.h"

class Dataset;
class DbCodeEdit;
class QAction;
class QGridLayout;

// The one implementation of the code-keyed master editors (items, item
// categories, customers, suppliers, staff); the members differ by their
// MasterTables::EditorSpec and their lookup dialog.
//
// The user types (or picks) a code in EditCode; leaving the field loads that
// record (Viewing) or starts a new row with the code and the member's defaults
// (Editing). The first change to a field of a loaded record starts editing it.
// While editing, EditCode is disabled and the status reads "編集中":
//
//   Empty    record closed              EditCode enabled
//   Viewing  one loaded row, browsing   EditCode enabled    "削除" enabled
//   Editing  inserting or editing       EditCode disabled   "登録", "編集取消" enabled
//
// "登録" writes the row at once and empties EditCode; "編集取消" drops the
// changes and keeps EditCode's text; "削除" asks, deletes at once and empties
// EditCode, but refuses (the record stays loaded) while a slip or another master
// names the record. All three go back to Empty with the focus in EditCode. Closing
// while editing asks first. The focus cannot leave an empty EditCode.
class MasterEditForm : public FunctionWindow {
    Q_OBJECT

public:
    ~MasterEditForm() override;

    DbCodeEdit* EditCode = nullptr;
    QAction* ActionDelete = nullptr;
    QAction* ActionCancel = nullptr;
    QAction* ActionPost = nullptr;
    QAction* ActionClose = nullptr;

    const MasterTables::EditorSpec& spec() const { return m_spec; }
    // The record dataset (ItemDataSet, CustomerDataSet, ...).
    Dataset& recordDataSet() const { return *m_record; }
    // The field bound to `column`, or null.
    QWidget* fieldFor(const QString& column) const;

    // Loads the code in EditCode, or starts a new row with it; an empty code
    // keeps the focus.
    void EditCodeExit();
    // Opens the member's lookup dialog; a picked code is put into EditCode,
    // which is then left, loading the record.
    void EditCodeButtonClick();
    void ActionPostExecute();
    void ActionCancelExecute();
    void ActionDeleteExecute();

protected:
    MasterEditForm(QWidget* owner, const MasterTables::EditorSpec& spec);

    // Shows the member's lookup dialog: the code picked, or nothing when cancelled.
    virtual std::optional<QString> pickCode() = 0;

    void openFixedLists() override;
    void setInitialValues() override;
    void updateActions() override;
    // Leaving EditCode by Tab or Enter loads the record first, so that the fields
    // it enables can take the focus.
    bool focusNextPrevChild(bool next) override;

private:
    void RecordDataSetBeforeModify();
    void buildForm();
    QWidget* createField(const MasterTables::FieldSpec& field);
    void showFieldsEnabled(bool enabled);
    // Back to Empty: the record closed, EditCode enabled with the focus.
    void backToCode(bool emptyCode);

    const MasterTables::EditorSpec& m_spec;
    Dataset* m_record = nullptr;
    std::vector<Dataset*> m_lists;
    QList<std::pair<QString, QWidget*>> m_fields;  // by column, in tab order
    bool m_inCodeExit = false;
};
