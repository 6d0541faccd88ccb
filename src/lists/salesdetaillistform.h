#pragma once

#include <array>
#include <memory>

#include "detaillisttab.h"
#include "periodlistwindow.h"

class DbGrid;
class QTabWidget;

// The sales detail list: every sales slip of a period with its lines, by slip,
// by item and by customer on three tabs, all three rebuilt by one "表示". Each
// tab has its own "伝票表示" and "印刷"; F10 and F11 belong to the tab shown.
class TSalesDetailListForm : public PeriodWindow {
    Q_OBJECT

public:
    explicit TSalesDetailListForm(QWidget* owner);
    ~TSalesDetailListForm() override;

    // The arrangement and print title of each of the three tabs (伝票別, 商品別, 顧客別).
    static const DetailListTab::Names& tabNames(int index);

    QTabWidget* const PageControl;
    QWidget* const TabSheet1;
    QWidget* const TabSheet2;
    QWidget* const TabSheet3;
    DbGrid* const GridListSlip;
    DbGrid* const GridListItem;
    DbGrid* const GridListCustomer;
    QAction* ActionDispSlip = nullptr;
    QAction* ActionDispItem = nullptr;
    QAction* ActionDispCustomer = nullptr;
    QAction* ActionPrintSlip = nullptr;
    QAction* ActionPrintItem = nullptr;
    QAction* ActionPrintCustomer = nullptr;
    QAction* ActionClose = nullptr;

    Dataset& ListSlipDataSet() const { return m_tabs[0]->dataset(); }
    Dataset& ListItemDataSet() const { return m_tabs[1]->dataset(); }
    Dataset& ListCustomerDataSet() const { return m_tabs[2]->dataset(); }

    // "表示": the pickers exchange their dates when "to" is before "from", then
    // the three lists are rebuilt in tab order. A list whose query fails stays
    // empty and the lists after it keep their rows.
    void ButtonDispClick();

protected:
    void setInitialValues() override;
    void updateActions() override;
    void display() override { ButtonDispClick(); }

private:
    void buildControls();
    void tabShown(int index);

    std::array<std::unique_ptr<DetailListTab>, 3> m_tabs;
};
