#pragma once

#include "balancelistrptform.h"

// The payable balance list print: the window's ListDataSet.
class TAccountsPayableListRptForm : public BalanceListRptForm {
public:
    explicit TAccountsPayableListRptForm(Dataset& ListDataSet)
        : BalanceListRptForm(payableNames(), ListDataSet)
    {
    }
};
