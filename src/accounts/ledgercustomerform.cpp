#include "ledgercustomerform.h"

#include "codelookup.h"
#include "findcustomerdlg.h"
#include "inputmoneyreceiveform.h"
#include "inputsalesform.h"
#include "ledgercustomerrptform.h"

namespace {

SlipOpener customerSlipOpener(int kind)
{
    // Cash and credit sales open the sales slip, receipts the receipt slip.
    switch (kind) {
        case 1:
        case 2:
            return openSlipWindow<TInputSalesForm>;
        case 3:
            return openSlipWindow<TInputMoneyReceiveForm>;
        default:
            return nullptr;  // the carried-forward row has no slip
    }
}

std::unique_ptr<LedgerRptForm> customerReport(Dataset& ledger, Dataset& partner)
{
    return std::make_unique<TLedgerCustomerRptForm>(ledger, partner);
}

}  // namespace

const LedgerForm::Names& TLedgerCustomerForm::names()
{
    static const Names names{
        .caption = QStringLiteral("顧客元帳"),
        .dispDetailKey = QKeySequence(),
        .balanceTitle = QStringLiteral("売掛残高"),
        .balanceWidth = 62,
        .quantityWidth = 46,
        .ledger = &LedgerNames::customer(),
        .lookUpPartner = lookUpCode<TFindCustomerDlg>,
        .slipOpenerFor = customerSlipOpener,
        .makeReport = customerReport,
    };
    return names;
}

TLedgerCustomerForm::TLedgerCustomerForm(QWidget* owner) : LedgerForm(owner, names())
{
    FormCreate();
}
