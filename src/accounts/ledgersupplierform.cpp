#include "ledgersupplierform.h"

#include "codelookup.h"
#include "findsupplierdlg.h"
#include "inputbuyingform.h"
#include "inputpaymentform.h"
#include "ledgersupplierrptform.h"

namespace {

SlipOpener supplierSlipOpener(int kind)
{
    // Cash and credit purchases open the purchase slip, payments the payment slip.
    switch (kind) {
        case 1:
        case 2:
            return openSlipWindow<TInputBuyingForm>;
        case 3:
            return openSlipWindow<TInputPaymentForm>;
        default:
            return nullptr;  // the carried-forward row has no slip
    }
}

std::unique_ptr<LedgerRptForm> supplierReport(Dataset& ledger, Dataset& partner)
{
    return std::make_unique<TLedgerSupplierRptForm>(ledger, partner);
}

}  // namespace

const LedgerForm::Names& TLedgerSupplierForm::names()
{
    static const Names names{
        .caption = QStringLiteral("仕入先元帳"),
        .dispDetailKey = QKeySequence(ActionKey::DispDetail),
        .balanceTitle = QStringLiteral("買掛残高"),
        .balanceWidth = 60,
        .quantityWidth = 47,
        .ledger = &LedgerNames::supplier(),
        .lookUpPartner = lookUpCode<TFindSupplierDlg>,
        .slipOpenerFor = supplierSlipOpener,
        .makeReport = supplierReport,
    };
    return names;
}

TLedgerSupplierForm::TLedgerSupplierForm(QWidget* owner) : LedgerForm(owner, names())
{
    FormCreate();
}
