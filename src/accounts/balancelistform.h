#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include "balancelistcomputation.h"
#include "dataset.h"
#include "periodlistwindow.h"

class BalanceListRptForm;
struct ColumnSpec;
class DbGrid;
class GridTotalsRow;

// The receivable and payable balance lists (twins): one row per partner of the
// master with its position over a period, sortable by a click on a column
// title, opening the partner's ledger and printing. The named windows differ
// only by their Names.
class BalanceListForm : public PeriodListWindow {
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

    DbGrid* const GridList;
    // The 合計 row under the list: the sums of its money columns.
    GridTotalsRow* const TotalsRow;

    // The list rows: closed until the first display.
    Dataset& ListDataSet() const { return m_list.dataset(); }

    // Lists every partner over the pickers' period; the pickers exchange their
    // dates first when "to" is before "from".
    void BuildList();

    // The period of the last display, "yyyy/mm/dd"; empty before the first.
    QString PeriodFromText() const { return m_list.PeriodFromText(); }
    QString PeriodToText() const { return m_list.PeriodToText(); }

    // What the window shows, prints and writes, without a window: the grid's
    // columns, the print of the last build (period and 合計) and the name
    // "CSV出力" proposes.
    static QList<ColumnSpec> columns(const Names& names);
    static std::unique_ptr<BalanceListRptForm> makePrint(const Names& names,
                                                         const BalanceListComputation& list);
    static QString fileName(const Names& names, const BalanceListComputation& list);

protected:
    BalanceListForm(QWidget* owner, const Names& names);

    Dataset& shownRows() const override { return ListDataSet(); }
    void display() override { BuildList(); }
    void ActionDispDetailExecute() override;
    void ActionPrintExecute() override;

private:
    void showTotals();
    void buildControls();

    const Names& m_names;
    BalanceListComputation m_list;
};
