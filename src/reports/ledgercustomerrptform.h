#pragma once

#include "ledgerrptform.h"

// The customer ledger print: the window's LedgerDataSet and CustomerDataSet.
class TLedgerCustomerRptForm : public LedgerRptForm {
public:
    TLedgerCustomerRptForm(Dataset& LedgerDataSet, Dataset& CustomerDataSet)
        : LedgerRptForm(customerNames(), LedgerDataSet, CustomerDataSet)
    {
    }
};
