#pragma once

#include "balancelistform.h"

// The payable balance list ("買掛残高一覧"): one row per supplier; "元帳表示"
// opens the supplier ledger.
class TAccountsPayableListForm : public BalanceListForm {
    Q_OBJECT

public:
    explicit TAccountsPayableListForm(QWidget* owner);

    static const Names& names();
};
