#pragma once

#include <memory>

#include "functionwindow.h"
#include "slipeditor.h"
#include "slipkind.h"

class DbCodeEdit;
class DbDateEdit;
class DbEditGrid;
class DbText;
class QAction;
class QVBoxLayout;
class TGrayPanel;

// The slip window shared by the four kinds of slip: the slip-number field
// EditCode on top, the input area GrayPanel with the date and partner fields
// (the kind adds its own fields, its line grid and its totals), the four action
// buttons and the status bar below.
//
// States: empty (nothing open, GrayPanel disabled or, after a delete, showing
// nothing), viewing (a saved slip, unchanged) and editing (a new slip or a
// changed one; EditCode locked). The slip itself lives in the SlipEditor.
//
// A window that shows a given slip puts its number into EditCode, calls
// OpenSlip, shows the window modally and releases it.
class SlipForm : public FunctionWindow {
    Q_OBJECT

public:
    DbCodeEdit* EditCode = nullptr;
    TGrayPanel* GrayPanel = nullptr;
    DbDateEdit* dateEdit = nullptr;     // 売上年月日, 仕入年月日, 入金年月日, 支払年月日
    DbCodeEdit* partnerEdit = nullptr;  // DBComboEditCustomer or DBComboEditSupplier
    DbText* partnerName = nullptr;      // DBTextCustomerName or DBTextSupplierName

    QAction* ActionDelete = nullptr;
    QAction* ActionCancel = nullptr;
    QAction* ActionCommit = nullptr;
    QAction* ActionClose = nullptr;

    // Shows the slip whose number stands in EditCode, or starts a new slip with
    // that number when none has it.
    void OpenSlip();

    SlipEditor& editor() const { return *m_editor; }

    void EditCodeKeyDown();
    void EditCodeButtonClick();
    void RefreshPartner();  // RefreshCustomer or RefreshSupplier
    void ActionCommitExecute();
    void ActionDeleteExecute();
    void ActionCancelExecute();

protected:
    using EditorFactory = std::unique_ptr<SlipEditor> (*)(::Connection&, const SlipKind&);
    SlipForm(QWidget* owner, const SlipKind& kind, EditorFactory makeEditor);
    ~SlipForm() override;

    // Where the kind lays out its fields, grid and totals.
    QVBoxLayout* panelLayout() const { return m_panelLayout; }
    virtual DbEditGrid* detailGrid() const = 0;
    virtual void ShowTotals() = 0;
    // The look-ups run when a slip is opened, after the partner's.
    virtual void refreshOtherLookups() {}
    // The partner or staff lookup's chosen code goes into `field` as if typed;
    // leaving the field stores it.
    void putChosenCode(DbCodeEdit* field, const QString& code);

    void openFixedLists() override;
    void setInitialValues() override;
    void updateActions() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    const SlipKind& m_kind;

private:
    void partnerEditButtonClick();
    // After a save or a cancel: the empty state, ready for the next number.
    void becomeEmpty(bool disablePanel);
    void focusLine(int row, const QString& field);

    std::unique_ptr<SlipEditor> m_editor;
    QVBoxLayout* m_panelLayout = nullptr;
};
