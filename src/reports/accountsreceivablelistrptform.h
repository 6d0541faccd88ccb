#pragma once

#include "balancelistrptform.h"

// The receivable balance list print: the window's ListDataSet.
class TAccountsReceivableListRptForm : public BalanceListRptForm {
public:
    explicit TAccountsReceivableListRptForm(Dataset& ListDataSet)
        : BalanceListRptForm(receivableNames(), ListDataSet)
    {
    }
};
