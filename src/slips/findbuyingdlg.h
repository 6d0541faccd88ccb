#pragma once

#include "findslipdlg.h"

// "仕入伝票検索": the saved 仕入 slips by partner and date.
class TFindBuyingDlg : public FindSlipDlg {
    Q_OBJECT

public:
    explicit TFindBuyingDlg(QWidget* owner) : FindSlipDlg(owner, SlipKind::buying()) { FormCreate(); }
};
