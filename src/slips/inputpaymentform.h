#pragma once

#include "moneyslipform.h"

// "支払伝票入力": entry, correction and deletion of 支払 slips.
class TInputPaymentForm : public MoneySlipForm {
    Q_OBJECT

public:
    explicit TInputPaymentForm(QWidget* owner) : MoneySlipForm(owner, SlipKind::payment()) { FormCreate(); }
};
