#pragma once

#include "ledgerrptform.h"

// The supplier ledger print: the window's LedgerDataSet and SupplierDataSet.
class TLedgerSupplierRptForm : public LedgerRptForm {
public:
    TLedgerSupplierRptForm(Dataset& LedgerDataSet, Dataset& SupplierDataSet)
        : LedgerRptForm(supplierNames(), LedgerDataSet, SupplierDataSet)
    {
    }
};
