#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "functionwindow.h"
#include "summarycomputation.h"

class DbGrid;
class FrozenColumns;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class Report;

// The monthly and yearly summaries: a year (and a month), "表示", and one grid
// per way of grouping, each on a tab of its own where there are several. The
// named windows differ only by their Names.
class SummaryForm : public FunctionWindow {
    Q_OBJECT

public:
    struct Tab {
        const SummaryGroup* group;
        QString grid;     // GridListItem
        QString dataset;  // ListItemDataSet
    };
    struct Names {
        QString caption;       // 月間売上集計表
        QString periodLabel;   // 集計年月
        QString pageControl;   // PageControl; empty for a single grid without tabs
        SummaryBucket bucket;  // Day: a month control and day titles
        std::vector<Tab> tabs;
    };

    QLineEdit* const YearEdit;
    QComboBox* const MonthComboBox;  // null in the yearly windows
    QPushButton* const ButtonDisp;
    QTabWidget* const PageControl;  // null without tabs
    QAction* ActionDispDetail = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

    // How "印刷" shows the prepared layout: the modal print preview, unless a
    // test looks at the layout instead.
    using ReportPreview = std::function<int(QWidget* owner, const Report& report)>;
    void setReportPreview(ReportPreview preview) { m_preview = std::move(preview); }

    int tabCount() const { return int(m_tabs.size()); }
    int currentTab() const;
    DbGrid* grid(int tab) const;
    Dataset& dataset(int tab) const;
    FrozenColumns* frozen(int tab) const;

    // Rebuilds every table, in tab order, for the typed year (and month), then
    // titles the day columns. A year or month that makes no date stops it with a
    // message, the first table left closed; a database error stops it at the
    // table that failed, which stays closed, the later ones keeping their rows.
    void ButtonDispClick();

    // The name "CSV出力" proposes for table `tab` of `period`: the caption, the
    // tab's caption where there are tabs, and the period.
    static QString fileName(const Names& names, int tab, const Period& period);
    // Prints the table of the tab shown as its grid shows it.
    void ActionPrintExecute();

protected:
    SummaryForm(QWidget* owner, const Names& names);
    ~SummaryForm() override;

    void setInitialValues() override;
    void updateActions() override;

private:
    struct TabParts;
    void buildControls();
    void setDayTitles(int year, int month);

    const Names& m_names;
    std::vector<std::unique_ptr<TabParts>> m_tabs;
    Period m_shownPeriod;  // of the tables on screen, for the names of what goes out
    ReportPreview m_preview;
};

// 月間集計表: the day-by-day slip totals of sales and purchases of a month.
class TMonthSummaryForm : public SummaryForm {
    Q_OBJECT
public:
    explicit TMonthSummaryForm(QWidget* owner);
    static const Names& names();
};

// 月間売上集計表: a month's sales by item, customer and staff member.
class TMonthSalesSummaryForm : public SummaryForm {
    Q_OBJECT
public:
    explicit TMonthSalesSummaryForm(QWidget* owner);
    static const Names& names();
};

// 月間仕入集計表: a month's purchases by item and supplier.
class TMonthBuyingSummaryForm : public SummaryForm {
    Q_OBJECT
public:
    explicit TMonthBuyingSummaryForm(QWidget* owner);
    static const Names& names();
};

// 年間売上集計表: a year's sales by month, by item, customer and staff member.
class TYearSalesSummaryForm : public SummaryForm {
    Q_OBJECT
public:
    explicit TYearSalesSummaryForm(QWidget* owner);
    static const Names& names();
};

// 年間仕入集計表: a year's purchases by month, by item and supplier.
class TYearBuyingSummaryForm : public SummaryForm {
    Q_OBJECT
public:
    explicit TYearBuyingSummaryForm(QWidget* owner);
    static const Names& names();
};
