#pragma once

#include <QDate>
#include <QString>

#include <functional>
#include <memory>

#include "dataset.h"
#include "functionwindow.h"
#include "stocklistcomputation.h"

class DatePicker;
class PeriodRow;
class DbGrid;
class QPushButton;
class Report;

// The item stock list ("商品在庫一覧表"): one row per item with its stock over
// a period, sortable by a click on a column title, opening the item's ledger
// and printing.
class TItemStockListForm : public FunctionWindow {
    Q_OBJECT

public:
    explicit TItemStockListForm(QWidget* owner);

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
    QAction* ActionDispDetail = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

    Dataset& ListDataSet() const { return m_list.dataset(); }

    // Lists every item over the pickers' period; the pickers exchange their
    // dates first when "to" is before "from".
    void BuildList();

    QString PeriodFromText() const { return m_list.PeriodFromText(); }
    QString PeriodToText() const { return m_list.PeriodToText(); }

    void setReportPreview(ReportPreview preview) { m_preview = std::move(preview); }

    // What the window prints and writes, without a window: the print of the
    // last build with its period, and the name "CSV出力" proposes.
    static std::unique_ptr<Report> makePrint(const StockListComputation& list);
    static QString fileName(const StockListComputation& list);

protected:
    void setInitialValues() override;
    void updateActions() override;

private:
    void buildControls();
    void ActionDispDetailExecute();
    void ActionPrintExecute();

    StockListComputation m_list;
    ReportPreview m_preview;
};
