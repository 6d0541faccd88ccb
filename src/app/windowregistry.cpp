#include "windowregistry.h"

#include <stdexcept>

#include "accountspayablelistform.h"
#include "accountsreceivablelistform.h"
#include "billissueform.h"
#include "buyingdetaillistform.h"
#include "inputbuyingform.h"
#include "inputcompanyform.h"
#include "inputcustomerform.h"
#include "inputemployeeform.h"
#include "inputitemcategoform.h"
#include "inputitemform.h"
#include "inputmoneyreceiveform.h"
#include "inputpaymentform.h"
#include "inputsalesform.h"
#include "inputsupplierform.h"
#include "inputtaxform.h"
#include "inputunitform.h"
#include "itemstocklistform.h"
#include "launcher.h"
#include "ledgercustomerform.h"
#include "ledgeritemform.h"
#include "ledgersupplierform.h"
#include "salesdetaillistform.h"
#include "summaryform.h"

void WindowRegistry::add(const QString& actionName, Factory factory)
{
    if (!Launcher::findByAction(actionName))
        throw std::invalid_argument("no launcher entry has the action " + actionName.toStdString());
    if (!factory)
        throw std::invalid_argument("empty window factory for " + actionName.toStdString());
    m_factories.insert(actionName, std::move(factory));
}

void registerWindows(WindowRegistry& registry)
{
    // Each function window is added here as it arrives.
    registry.add<TInputSalesForm>(QStringLiteral("ActionInputSales"));
    registry.add<TInputBuyingForm>(QStringLiteral("ActionInputBuying"));
    registry.add<TInputMoneyReceiveForm>(QStringLiteral("ActionInputMoneyReceive"));
    registry.add<TInputPaymentForm>(QStringLiteral("ActionInputPayment"));
    registry.add<TInputItemForm>(QStringLiteral("ActionInputItem"));
    registry.add<TInputItemCategoForm>(QStringLiteral("ActionInputItemCatego"));
    registry.add<TInputCustomerForm>(QStringLiteral("ActionInputCustomer"));
    registry.add<TInputSupplierForm>(QStringLiteral("ActionInputSupplier"));
    registry.add<TInputEmployeeForm>(QStringLiteral("ActionInputEmployee"));
    registry.add<TInputUnitForm>(QStringLiteral("ActionInputUnit"));
    registry.add<TInputTaxForm>(QStringLiteral("ActionInputTax"));
    registry.add<TInputCompanyForm>(QStringLiteral("ActionInputCompany"));
    registry.add<TAccountsReceivableListForm>(QStringLiteral("ActionAccountsReceivableList"));
    registry.add<TLedgerCustomerForm>(QStringLiteral("ActionLedgerCustomer"));
    registry.add<TAccountsPayableListForm>(QStringLiteral("ActionAccountsPayableList"));
    registry.add<TLedgerSupplierForm>(QStringLiteral("ActionLedgerSupplier"));
    registry.add<TBillIssueForm>(QStringLiteral("ActionBillIssue"));
    registry.add<TItemStockListForm>(QStringLiteral("ActionItemStockList"));
    registry.add<TLedgerItemForm>(QStringLiteral("ActionLedgerItem"));
    registry.add<TSalesDetailListForm>(QStringLiteral("ActionSalesDetailList"));
    registry.add<TBuyingDetailListForm>(QStringLiteral("ActionBuyingDetailList"));
    registry.add<TMonthSalesSummaryForm>(QStringLiteral("ActionMonthSalesSummary"));
    registry.add<TMonthBuyingSummaryForm>(QStringLiteral("ActionMonthBuyingSummary"));
    registry.add<TMonthSummaryForm>(QStringLiteral("ActionMonthSummary"));
    registry.add<TYearSalesSummaryForm>(QStringLiteral("ActionYearSalesSummary"));
    registry.add<TYearBuyingSummaryForm>(QStringLiteral("ActionYearBuyingSummary"));
}
