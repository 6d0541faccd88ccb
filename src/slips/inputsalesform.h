#pragma once

#include "goodsslipform.h"

// "売上伝票入力": entry, correction and deletion of 売上 slips.
class TInputSalesForm : public GoodsSlipForm {
    Q_OBJECT

public:
    explicit TInputSalesForm(QWidget* owner) : GoodsSlipForm(owner, SlipKind::sales()) { FormCreate(); }
};
