#pragma once

#include "ledgerform.h"

// The supplier ledger ("仕入先元帳"): credit purchases raise the payable
// balance, payments lower it.
class TLedgerSupplierForm : public LedgerForm {
    Q_OBJECT

public:
    explicit TLedgerSupplierForm(QWidget* owner);

    static const Names& names();

    Dataset& SupplierDataSet() const { return partnerDataSet(); }
    DbText* DBTextSupplierName() const { return partnerNameBox(); }
};
