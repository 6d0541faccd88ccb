#pragma once

#include <memory>

#include "detaillisttab.h"
#include "periodlistwindow.h"

class DbGrid;

// The purchase detail list: every purchase slip of a period, a slip row
// carrying the slip total followed by its lines.
class TBuyingDetailListForm : public PeriodListWindow {
    Q_OBJECT

public:
    explicit TBuyingDetailListForm(QWidget* owner);
    ~TBuyingDetailListForm() override;

    // The arrangement and print title of the one list.
    static const DetailListTab::Names& listNames();

    DbGrid* const GridList;

    Dataset& ListDataSet() const { return m_tab->dataset(); }

    // "表示": the pickers exchange their dates when "to" is before "from".
    void ButtonDispClick();

protected:
    void setInitialValues() override;
    Dataset& shownRows() const override { return ListDataSet(); }
    void display() override { ButtonDispClick(); }
    void ActionDispDetailExecute() override;
    void ActionPrintExecute() override;

private:
    const std::unique_ptr<DetailListTab> m_tab;
};
