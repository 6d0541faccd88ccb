#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include "balancelistcomputation.h"
#include "dataset.h"
#include "functionwindow.h"

class BalanceListRptForm;
struct ColumnSpec;
class DatePicker;
class PeriodRow;
class DbGrid;
class GridTotalsRow;
class QPushButton;
class Report;

// The receivable and payable balance lists (twins): one row per partner of the
// master with its position over a period, sortable by a click on a column
// title, opening the partner's ledger and printing. The named windows differ
// only by their Names.
class BalanceListForm : public FunctionWindow {
    Q_OBJECT

public:
    struct Names {
        QString caption;  // 売掛残高一覧
        int cashWidth = 0;
        const BalanceListNames* list = nullptr;
        // Opens the partner's ledger on the period, modally over `owner`.
        void (*openLedger)(QWidget* owner, const QString& code, const QDate& from, const QDate& to) = nullptr;
        std::unique_ptr<BalanceListRptForm> (*makeReport)(Dataset& list) = nullptr;
    };

    // How "印刷" shows the prepared layout: the modal print preview, unless a
    // test looks at the layout instead.
    using ReportPreview = std::function<int(QWidget* owner, const Report& report)>;

private:
    PeriodRow* const m_periodRow;  // owns the two pickers; declared first, made first

public:
    DatePicker* const JvDatePickerEditFrom;
    DatePicker* const JvDatePickerEditTo;
    QPushButton* const ButtonDisp;
    DbGrid* const GridList;
    // The 合計 row under the list: the sums of its money columns.
    GridTotalsRow* const TotalsRow;
    QAction* ActionDispDetail = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

    // The list rows: closed until the first display.
    Dataset& ListDataSet() const { return m_list.dataset(); }

    // Lists every partner over the pickers' period; the pickers exchange their
    // dates first when "to" is before "from".
    void BuildList();

    // The period of the last display, "yyyy/mm/dd"; empty before the first.
    QString PeriodFromText() const { return m_list.PeriodFromText(); }
    QString PeriodToText() const { return m_list.PeriodToText(); }

    void setReportPreview(ReportPreview preview) { m_preview = std::move(preview); }

    // What the window shows, prints and writes, without a window: the grid's
    // columns, the print of the last build (period and 合計) and the name
    // "CSV出力" proposes.
    static QList<ColumnSpec> columns(const Names& names);
    static std::unique_ptr<BalanceListRptForm> makePrint(const Names& names,
                                                         const BalanceListComputation& list);
    static QString fileName(const Names& names, const BalanceListComputation& list);

protected:
    BalanceListForm(QWidget* owner, const Names& names);

    void setInitialValues() override;
    void updateActions() override;

private:
    void showTotals();
    void buildControls();
    void ActionDispDetailExecute();
    void ActionPrintExecute();

    const Names& m_names;
    BalanceListComputation m_list;
    ReportPreview m_preview;
};
