#pragma once

#include "goodsslipeditor.h"
#include "slipform.h"

class DbPickList;
class QLabel;

// The sales and purchase slip window: the slip class, the partner and the staff
// member in the header, the item lines in DetailGrid with their tax, and the
// three totals. TInputSalesForm and TInputBuyingForm are this window with
// their kind.
class GoodsSlipForm : public SlipForm {
    Q_OBJECT

public:
    DbPickList* classList = nullptr;  // 売上区分 or 仕入区分
    DbCodeEdit* DBComboEditEmployee = nullptr;
    DbText* DBTextEmployeeName = nullptr;
    DbEditGrid* DetailGrid = nullptr;
    QLabel* LabelSum = nullptr;
    QLabel* LabelTaxSum = nullptr;
    QLabel* LabelAllTotal = nullptr;

    GoodsSlipEditor& goods() const { return static_cast<GoodsSlipEditor&>(editor()); }

    void RefreshEmployee();
    void DetailGridEditButtonClick();

protected:
    GoodsSlipForm(QWidget* owner, const SlipKind& kind);

    DbEditGrid* detailGrid() const override { return DetailGrid; }
    void ShowTotals() override;
    void refreshOtherLookups() override;

private:
    void employeeEditButtonClick();
};
