#pragma once

#include "findslipdlg.h"

// "支払伝票検索": the saved 支払 slips by partner and date.
class TFindPaymentDlg : public FindSlipDlg {
    Q_OBJECT

public:
    explicit TFindPaymentDlg(QWidget* owner) : FindSlipDlg(owner, SlipKind::payment()) { FormCreate(); }
};
