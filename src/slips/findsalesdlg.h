#pragma once

#include "findslipdlg.h"

// "売上伝票検索": the saved 売上 slips by partner and date.
class TFindSalesDlg : public FindSlipDlg {
    Q_OBJECT

public:
    explicit TFindSalesDlg(QWidget* owner) : FindSlipDlg(owner, SlipKind::sales()) { FormCreate(); }
};
