#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "billcomputation.h"
#include "dataset.h"
#include "functionwindow.h"

class DbGrid;
class QComboBox;
class QLineEdit;
class QPushButton;
class Report;

// "売掛請求": the monthly bills of the customers who share a closing day, the
// credit-sale lines of the selected bill, marks for which bills to print, and
// the print of the marked bills.
class TBillIssueForm : public FunctionWindow {
    Q_OBJECT

public:
    explicit TBillIssueForm(QWidget* owner);
    ~TBillIssueForm() override;

    // How "印刷" shows the prepared layout: the modal print preview, unless a
    // test looks at the layout instead.
    using ReportPreview = std::function<int(QWidget* owner, const Report& report)>;

    QLineEdit* const YearEdit;
    QComboBox* const MonthComboBox;
    QComboBox* const JvComboBoxCutOff;
    QPushButton* const ButtonDisp;
    DbGrid* const GridList;
    DbGrid* const JvDBUltimGrid1;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

    Dataset& ListDataSet() const { return m_bills.list(); }
    Dataset& DetailDataSet() const { return m_bills.lines(); }
    // The company's row, open only while printing.
    Dataset& CompanyDataSet() const { return *m_company; }

    // Lists the bills of the chosen month and closing day.
    void BuildList();
    // Turns the print mark of the selected bill over.
    void GridListDblClick();
    // The closing day chosen: 1–31, or BillComputation::MonthEnd.
    int closingDay() const;

    void setReportPreview(ReportPreview preview) { m_preview = std::move(preview); }

    // "印刷" without a window: the bills of the marked rows of `bills`, with
    // today's date and the bank account of `company` (BillComputation::
    // companyDataset), handed to `show`; afterwards every bill is listed again
    // and the company row closed.
    static void printBills(BillComputation& bills, Dataset& company,
                           const std::function<void(const Report&)>& show);
    // The name "CSV出力" proposes for the list of the last build.
    static QString fileName(const BillComputation& bills);

protected:
    void setInitialValues() override;
    void updateActions() override;

private:
    void buildControls();
    void ActionPrintExecute();
    QVariant rowBackground(const RowRef& row, int rowIndex) const;

    BillComputation m_bills;
    std::unique_ptr<Dataset> m_company;
    ReportPreview m_preview;
};
