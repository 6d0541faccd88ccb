#pragma once

#include "findslipdlg.h"

// "入金伝票検索": the saved 入金 slips by partner and date.
class TFindMoneyReceiveDlg : public FindSlipDlg {
    Q_OBJECT

public:
    explicit TFindMoneyReceiveDlg(QWidget* owner) : FindSlipDlg(owner, SlipKind::moneyReceive())
    {
        FormCreate();
    }
};
