#pragma once

#include "moneyslipeditor.h"
#include "slipform.h"

class QLabel;

// The receipt and payment slip window: the date and the partner in the header,
// the amounts with their kind and remark in GridDetail, and the total.
// TInputMoneyReceiveForm and TInputPaymentForm are this window with their kind.
class MoneySlipForm : public SlipForm {
    Q_OBJECT

public:
    DbEditGrid* GridDetail = nullptr;
    QLabel* LabelSum = nullptr;

    MoneySlipEditor& money() const { return static_cast<MoneySlipEditor&>(editor()); }

protected:
    MoneySlipForm(QWidget* owner, const SlipKind& kind);

    DbEditGrid* detailGrid() const override { return GridDetail; }
    void ShowTotals() override;
};
