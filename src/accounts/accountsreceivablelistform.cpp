#include "accountsreceivablelistform.h"

#include "accountsreceivablelistrptform.h"
#include "ledgercustomerform.h"
#include "modal.h"

namespace {

void openCustomerLedger(QWidget* owner, const QString& code, const QDate& from, const QDate& to)
{
    openModalWith<TLedgerCustomerForm>(
        owner, [&](TLedgerCustomerForm& ledger) { ledger.openOnPartner(code, from, to); },
        [](TLedgerCustomerForm&, int) {});
}

std::unique_ptr<BalanceListRptForm> receivableReport(Dataset& list)
{
    return std::make_unique<TAccountsReceivableListRptForm>(list);
}

}  // namespace

const BalanceListForm::Names& TAccountsReceivableListForm::names()
{
    static const Names names{
        .caption = QStringLiteral("売掛残高一覧"),
        .cashWidth = 98,
        .list = &BalanceListNames::receivable(),
        .openLedger = openCustomerLedger,
        .makeReport = receivableReport,
    };
    return names;
}

TAccountsReceivableListForm::TAccountsReceivableListForm(QWidget* owner) : BalanceListForm(owner, names())
{
    FormCreate();
}
