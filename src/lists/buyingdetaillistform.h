#pragma once

#include <memory>

#include "detaillisttab.h"
#include "functionwindow.h"

class DatePicker;
class DbGrid;
class PeriodRow;
class QPushButton;

// The purchase detail list: every purchase slip of a period, a slip row
// carrying the slip total followed by its lines.
class TBuyingDetailListForm : public FunctionWindow {
    Q_OBJECT

private:
    PeriodRow* const m_periodRow;  // owns the two pickers; declared first, made first

public:
    explicit TBuyingDetailListForm(QWidget* owner);
    ~TBuyingDetailListForm() override;

    // The arrangement and print title of the one list.
    static const DetailListTab::Names& listNames();

    DatePicker* const JvDatePickerEditFrom;
    DatePicker* const JvDatePickerEditTo;
    QPushButton* const ButtonDisp;
    DbGrid* const GridList;
    QAction* ActionDispDetail = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

    Dataset& ListDataSet() const { return m_tab->dataset(); }

    // "表示": the pickers exchange their dates when "to" is before "from".
    void ButtonDispClick();

    void setReportPreview(DetailListTab::ReportPreview preview) { m_preview = std::move(preview); }

protected:
    void setInitialValues() override;
    void updateActions() override;

private:
    std::unique_ptr<DetailListTab> m_tab;
    DetailListTab::ReportPreview m_preview;
};
