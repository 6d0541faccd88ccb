#pragma once

#include "ledgerform.h"

// The customer ledger ("顧客元帳"): credit sales raise the receivable balance,
// receipts lower it.
class TLedgerCustomerForm : public LedgerForm {
    Q_OBJECT

public:
    explicit TLedgerCustomerForm(QWidget* owner);

    static const Names& names();

    Dataset& CustomerDataSet() const { return partnerDataSet(); }
    DbText* DBTextCustomerName() const { return partnerNameBox(); }
};
