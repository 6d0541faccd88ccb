#pragma once

#include <QDate>
#include <QKeySequence>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "functionwindow.h"

class Dataset;
class DatePicker;
class DbCodeEdit;
class DbGrid;
class DbText;
class PeriodRow;
class QLayout;
class QPushButton;
class Report;
struct Period;

// The period row with "表示" and the print preview: what every window over
// the rows of a period has, whatever shows the rows. "表示" runs display();
// "印刷" shows its print in the preview, which a test may replace.
class PeriodWindow : public FunctionWindow {
    Q_OBJECT

public:
    // How "印刷" shows the prepared layout: the modal print preview, unless a
    // test looks at the layout instead.
    using ReportPreview = std::function<int(QWidget* owner, const Report& report)>;

private:
    PeriodRow* const m_periodRow;  // owns the two pickers; declared first, made first

public:
    DatePicker* const JvDatePickerEditFrom;
    DatePicker* const JvDatePickerEditTo;
    QPushButton* const ButtonDisp;

    void setReportPreview(ReportPreview preview) { m_preview = std::move(preview); }

protected:
    PeriodWindow(QWidget* owner, ReportPreview preview);

    // Shows the period the computation used in the pickers.
    void showPeriod(const Period& period);
    // Shows `report` in the preview.
    void showPrint(const Report& report);
    // The period row finished for the window's layout: `beforeDisp` (none when
    // null) between the pickers and "表示".
    QLayout* periodRow(QWidget* beforeDisp);

    // The month of today.
    void setInitialValues() override;
    // "表示": builds the rows over the pickers' period.
    virtual void display() = 0;

private:
    ReportPreview m_preview;
};

// The base of the document windows that show the rows of a period in one
// grid: the period row, the grid, and the action bar (the row's ledger or
// slip, "印刷", "閉じる", "CSV出力"). The window builds the rows, opens what a
// row stands for and prepares the print.
class PeriodListWindow : public PeriodWindow {
    Q_OBJECT

public:
    QAction* ActionDispDetail = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

protected:
    // `gridName` is the grid's objectName; `dispDetail` and `dispDetailKey` the
    // caption and key of the first action ("元帳表示", "伝票表示"); `preview`
    // what "印刷" shows the print in until a test replaces it.
    PeriodListWindow(QWidget* owner, const QString& gridName, const QString& dispDetail,
                     const QKeySequence& dispDetailKey, ReportPreview preview);

    DbGrid* grid() const { return m_grid; }

    // Lays the window out: `above` (none when null) over the period row,
    // `beforeDisp` (none when null) between the pickers and "表示", the grid or
    // `listArea` in its place, the action bar with "CSV出力" proposing
    // `csvFileName()`.
    void layOut(QLayout* above, QWidget* beforeDisp, QLayout* listArea, std::function<QString()> csvFileName);

    void updateActions() override;

    // The rows on screen: closed until the first display.
    virtual Dataset& shownRows() const = 0;
    // Whether the row actions and "印刷" have something to work on: rows shown.
    virtual bool hasRows() const;
    virtual void ActionDispDetailExecute() = 0;
    virtual void ActionPrintExecute() = 0;

private:
    DbGrid* const m_grid;
};

// A ledger of one master record (a partner, an item) picked by its code: the
// code field with the record's name beside it over the period row. "表示" is
// enabled while the record loaded is the one whose code the field holds.
class CodedLedgerWindow : public PeriodListWindow {
    Q_OBJECT

public:
    DbCodeEdit* const EditCode;

    // Shows the ledger of the loaded record over the pickers' period; the
    // pickers exchange their dates first when "to" is before "from".
    void BuildLedger();

protected:
    // The master the code field loads from.
    struct Master {
        QString sql;          // one row by its :Code
        QString dataSetName;  // "ItemDataSet"
        QString codeColumn;   // also the code field's label
        QString nameColumn;
        QString nameBoxName;  // "DBTextItemName"
    };

    CodedLedgerWindow(QWidget* owner, const Master& master, const QKeySequence& dispDetailKey,
                      ReportPreview preview);
    ~CodedLedgerWindow() override;

    // The record loaded from the code field, and the one of the rows on screen:
    // the print's heading names it even when another record was loaded since.
    Dataset& masterDataSet() const { return *m_master; }
    Dataset& shownMaster() const { return *m_shownMaster; }
    DbText* nameBox() const { return m_nameBox; }
    // The code of the rows on screen; empty before the first display.
    QString shownCode() const;

    // What a list does to open the ledger of one of its rows: the pickers take
    // the period, the code field and the record the code, and the ledger is
    // displayed. An error is reported and the window still opens.
    void openOn(const QString& code, const QDate& from, const QDate& to);

    // Lays the window out with the code row on top (see PeriodListWindow::layOut).
    void layOut(QWidget* beforeDisp, std::function<QString()> csvFileName);

    // Builds the ledger of `code` (empty when no record is loaded).
    virtual Period build(const QString& code, const QDate& from, const QDate& to) = 0;
    // The lookup dialog: the code the user chose, nothing when cancelled.
    virtual std::optional<QString> lookUp() = 0;

    void updateActions() override;
    bool hasRows() const override;
    void display() override { BuildLedger(); }

private:
    void loadMaster(const QString& code);
    bool masterLoadedAsTyped() const;
    void EditCodeExit();
    void EditCodeButtonClick();

    const QString m_codeColumn;
    std::unique_ptr<Dataset> m_master;
    std::unique_ptr<Dataset> m_shownMaster;
    DbText* const m_nameBox;
};
