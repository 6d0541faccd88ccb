#pragma once

#include "goodsslipform.h"

// "仕入伝票入力": entry, correction and deletion of 仕入 slips.
class TInputBuyingForm : public GoodsSlipForm {
    Q_OBJECT

public:
    explicit TInputBuyingForm(QWidget* owner) : GoodsSlipForm(owner, SlipKind::buying()) { FormCreate(); }
};
