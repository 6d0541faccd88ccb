#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>

#include "windowregistry.h"

class QAction;
class QButtonGroup;
class QLabel;
class QListWidget;
class QTabWidget;
class QThread;
class QToolButton;

// The launcher: a vertical bar of four page buttons, a page control with hidden
// tabs holding one icon list per page, and the same 26 functions a second time
// in the menu. It touches no data. Each function opens as a modal window owned
// by the main window and is deleted when it closes.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(const WindowRegistry& windows, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Item data of the list views besides caption and icon.
    static constexpr int DescriptionRole = Qt::UserRole;
    static constexpr int IconIndexRole = Qt::UserRole + 1;

    QTabWidget* PageControl = nullptr;
    QListWidget* ListViewSlip = nullptr;
    QListWidget* ListViewDocument = nullptr;
    QListWidget* ListViewMaster = nullptr;
    QListWidget* ListViewSetting = nullptr;
    QAction* mnuFileBackup = nullptr;
    QAction* mnuFileRestore = nullptr;
    QAction* mnuFileCheck = nullptr;
    QAction* mnuFileClose = nullptr;
    QAction* mnuHelpAbout = nullptr;

    QList<QListWidget*> listViews() const;
    QList<QToolButton*> barButtons() const;
    // One of the 26 launcher actions by its name ("ActionInputSales").
    QAction* action(const QString& name) const;

    // Runs the action of the selected item's caption; nothing without a selection.
    void ListViewDblClick(QListWidget* sender);
    // Enter runs ListViewDblClick, whatever the modifiers; other keys stay with
    // the list view. True when the key was taken.
    bool ListViewKeyDown(QListWidget* sender, int key, Qt::KeyboardModifiers shift);

    // Checks the book once at start: an older one is upgraded, one that cannot
    // be used (missing, empty, foreign, newer, damaged, locked, read-only) gets
    // one message and the function windows stay closed; nothing is written to
    // it. A usable book gets its daily backup; a failure there is only noted in
    // the status bar. True when the book can be used. Then the kept figures are
    // checked in the background (its own connection in a worker thread); the
    // status bar tells only when one disagreed and was rebuilt.
    bool openBook();
    // Waits for the background check started by openBook, if one runs.
    void waitForBackgroundCheck();
    bool bookUsable() const { return m_bookUsable; }
    // The status bar's message panel.
    QString statusText() const;

    // Where a backup goes (proposed: the suggested file) and which backup to
    // restore: file dialogs, replaced by tests. Empty means cancelled.
    std::function<QString(QWidget* owner, const QString& proposed)> chooseBackupTarget;
    std::function<QString(QWidget* owner)> chooseRestoreSource;

    void mnuFileBackupClick();
    void mnuFileRestoreClick();
    // "帳簿の点検": checks the kept figures and shows what it found and rebuilt.
    void mnuFileCheckClick();
    void mnuFileCloseClick();
    void mnuHelpAboutClick();

    void ActionInputSalesExecute();
    void ActionInputMoneyReceiveExecute();
    void ActionInputBuyingExecute();
    void ActionInputPaymentExecute();
    void ActionSalesDetailListExecute();
    void ActionBuyingDetailListExecute();
    void ActionAccountsReceivableListExecute();
    void ActionLedgerCustomerExecute();
    void ActionAccountsPayableListExecute();
    void ActionLedgerSupplierExecute();
    void ActionItemStockListExecute();
    void ActionLedgerItemExecute();
    void ActionMonthSalesSummaryExecute();
    void ActionMonthBuyingSummaryExecute();
    void ActionMonthSummaryExecute();
    void ActionYearSalesSummaryExecute();
    void ActionYearBuyingSummaryExecute();
    void ActionBillIssueExecute();
    void ActionInputItemExecute();
    void ActionInputItemCategoExecute();
    void ActionInputCustomerExecute();
    void ActionInputSupplierExecute();
    void ActionInputEmployeeExecute();
    void ActionInputUnitExecute();
    void ActionInputCompanyExecute();
    void ActionInputTaxExecute();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    QWidget* createPageBar();
    void createPages();
    void createMenus();
    void createStatusBar();
    // Creates the entry's window owned by the main window, shows it modally and
    // deletes it on every path; an error shows the error box.
    void openWindow(const char* actionName);
    void setBookUsable(bool usable);
    void showStatus(const QString& text);
    void startBackgroundCheck(const QString& path);

    const WindowRegistry& m_windows;
    QHash<QString, QAction*> m_actions;
    QButtonGroup* m_bar = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_bookPanel = nullptr;  // which book is open
    bool m_bookUsable = true;
    std::unique_ptr<QThread> m_checkThread;
};
