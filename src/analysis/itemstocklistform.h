#pragma once

#include <QDate>
#include <QString>

#include <memory>

#include "dataset.h"
#include "periodlistwindow.h"
#include "stocklistcomputation.h"

class DbGrid;
class Report;

// The item stock list ("商品在庫一覧表"): one row per item with its stock over
// a period, sortable by a click on a column title, opening the item's ledger
// and printing.
class TItemStockListForm : public PeriodListWindow {
    Q_OBJECT

public:
    explicit TItemStockListForm(QWidget* owner);

    DbGrid* const GridList;

    Dataset& ListDataSet() const { return m_list.dataset(); }

    // Lists every item over the pickers' period; the pickers exchange their
    // dates first when "to" is before "from".
    void BuildList();

    QString PeriodFromText() const { return m_list.PeriodFromText(); }
    QString PeriodToText() const { return m_list.PeriodToText(); }

    // What the window prints and writes, without a window: the print of the
    // last build with its period, and the name "CSV出力" proposes.
    static std::unique_ptr<Report> makePrint(const StockListComputation& list);
    static QString fileName(const StockListComputation& list);

protected:
    Dataset& shownRows() const override { return ListDataSet(); }
    void display() override { BuildList(); }
    void ActionDispDetailExecute() override;
    void ActionPrintExecute() override;

private:
    StockListComputation m_list;
};
