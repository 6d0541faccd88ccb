#pragma once

#include "moneyslipform.h"

// "入金伝票入力": entry, correction and deletion of 入金 slips.
class TInputMoneyReceiveForm : public MoneySlipForm {
    Q_OBJECT

public:
    explicit TInputMoneyReceiveForm(QWidget* owner) : MoneySlipForm(owner, SlipKind::moneyReceive())
    {
        FormCreate();
    }
};
