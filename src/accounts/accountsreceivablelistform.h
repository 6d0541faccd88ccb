#pragma once

#include "balancelistform.h"

// The receivable balance list ("売掛残高一覧"): one row per customer; "元帳表示"
// opens the customer ledger.
class TAccountsReceivableListForm : public BalanceListForm {
    Q_OBJECT

public:
    explicit TAccountsReceivableListForm(QWidget* owner);

    static const Names& names();
};
