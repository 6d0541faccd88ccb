#include "accountspayablelistform.h"

#include "accountspayablelistrptform.h"
#include "ledgersupplierform.h"
#include "modal.h"

namespace {

void openSupplierLedger(QWidget* owner, const QString& code, const QDate& from, const QDate& to)
{
    openModalWith<TLedgerSupplierForm>(
        owner, [&](TLedgerSupplierForm& ledger) { ledger.openOnPartner(code, from, to); },
        [](TLedgerSupplierForm&, int) {});
}

std::unique_ptr<BalanceListRptForm> payableReport(Dataset& list)
{
    return std::make_unique<TAccountsPayableListRptForm>(list);
}

}  // namespace

const BalanceListForm::Names& TAccountsPayableListForm::names()
{
    static const Names names{
        .caption = QStringLiteral("買掛残高一覧"),
        .cashWidth = 100,
        .list = &BalanceListNames::payable(),
        .openLedger = openSupplierLedger,
        .makeReport = payableReport,
    };
    return names;
}

TAccountsPayableListForm::TAccountsPayableListForm(QWidget* owner) : BalanceListForm(owner, names())
{
    FormCreate();
}
