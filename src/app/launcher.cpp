#include "launcher.h"

namespace Launcher {

namespace {

const Entry Entries[] = {
    {0, u"売上伝票", u"売上伝票の入力、修正を行います。", 0, "ActionInputSales", u"売上伝票(&1)"},
    {0, u"入金伝票", u"入金伝票の入力、修正を行います。", 0, "ActionInputMoneyReceive", u"入金伝票(&2)"},
    {0, u"仕入伝票", u"仕入伝票の入力、修正を行います。", 0, "ActionInputBuying", u"仕入伝票(&3)"},
    {0, u"支払伝票", u"支払伝票の入力、修正を行います。", 0, "ActionInputPayment", u"支払伝票(&4)"},
    {1, u"売上明細表", u"", 0, "ActionSalesDetailList", u"売上明細表(&1)"},
    {1, u"仕入明細票", u"", 0, "ActionBuyingDetailList", u"仕入明細票(&2)"},
    {1, u"売掛残高一覧表", u"", 0, "ActionAccountsReceivableList", u"売掛残高一覧表(&3)"},
    {1, u"顧客元帳", u"", 0, "ActionLedgerCustomer", u"顧客元帳(&4)"},
    {1, u"買掛残高一覧表", u"", 0, "ActionAccountsPayableList", u"買掛残高一覧表(&5)"},
    {1, u"仕入先元帳", u"", 0, "ActionLedgerSupplier", u"仕入先元帳(&6)"},
    {1, u"商品在庫一覧表", u"", 0, "ActionItemStockList", u"商品在庫一覧表(&7)"},
    {1, u"商品元帳", u"", 0, "ActionLedgerItem", u"商品元帳(&8)"},
    {1, u"月間売上集計表", u"", 1, "ActionMonthSalesSummary", u"月間売上集計表(&9)"},
    {1, u"月間仕入集計表", u"", 1, "ActionMonthBuyingSummary", u"月間仕入集計表(&A)"},
    {1, u"月間集計表", u"", 1, "ActionMonthSummary", u"月間集計表(&B)"},
    {1, u"年間売上集計表", u"", 2, "ActionYearSalesSummary", u"年間売上集計表(&C)"},
    {1, u"年間仕入集計表", u"", 2, "ActionYearBuyingSummary", u"年間仕入集計表(&D)"},
    {1, u"売掛請求", u"", 3, "ActionBillIssue", u"売掛請求(&E)"},
    {2, u"商品台帳", u"", 0, "ActionInputItem", u"商品台帳(&1)"},
    {2, u"商品分類台帳", u"", 0, "ActionInputItemCatego", u"商品分類台帳(&2)"},
    {2, u"顧客台帳", u"", 0, "ActionInputCustomer", u"顧客台帳(&3)"},
    {2, u"仕入先台帳", u"", 0, "ActionInputSupplier", u"仕入先台帳(&4)"},
    {2, u"担当者台帳", u"", 0, "ActionInputEmployee", u"担当者台帳(&5)"},
    {2, u"単位リスト", u"", 0, "ActionInputUnit", u"単位リスト(&6)"},
    {3, u"会社情報", u"", 0, "ActionInputCompany", u"会社情報(&1)"},
    {3, u"消費税設定", u"", 1, "ActionInputTax", u"消費税設定(&2)"},
};

const Page Pages[] = {
    {"TabSheet1", u"伝票入力", u"伝票入力", ":/icons/bar-slip.svg", "ListViewSlip", {":/icons/slip.svg"}},
    {"TabSheet2",
     u"各種資料",
     u"資料",
     ":/icons/bar-document.svg",
     "ListViewDocument",
     {":/icons/list.svg", ":/icons/month.svg", ":/icons/year.svg", ":/icons/bill.svg"}},
    {"TabSheet3",
     u"台帳管理",
     u"台帳保守",
     ":/icons/bar-master.svg",
     "ListViewMaster",
     {":/icons/ledger.svg"}},
    {"TabSheet4",
     u"環境設定",
     u"環境設定",
     ":/icons/bar-setting.svg",
     "ListViewSetting",
     {":/icons/company.svg", ":/icons/tax.svg"}},
};

const Menu Menus[] = {
    {"mnuInput",
     u"伝票入力(&I)",
     {"ActionInputSales", "ActionInputMoneyReceive", "ActionInputBuying", "ActionInputPayment"}},
    {"mnuDocument",
     u"資料(&D)",
     {"ActionSalesDetailList",
      "ActionBuyingDetailList",
      nullptr,
      "ActionAccountsReceivableList",
      "ActionLedgerCustomer",
      nullptr,
      "ActionAccountsPayableList",
      "ActionLedgerSupplier",
      nullptr,
      "ActionItemStockList",
      "ActionLedgerItem",
      nullptr,
      "ActionMonthSalesSummary",
      "ActionMonthBuyingSummary",
      "ActionMonthSummary",
      nullptr,
      "ActionYearSalesSummary",
      "ActionYearBuyingSummary",
      nullptr,
      "ActionBillIssue"}},
    {"mnuMaster",
     u"台帳保守(&M)",
     {"ActionInputItem", "ActionInputItemCatego", "ActionInputCustomer", "ActionInputSupplier",
      "ActionInputEmployee", nullptr, "ActionInputUnit"}},
    {"mnuSetting", u"環境設定(&S)", {"ActionInputCompany", "ActionInputTax"}},
};

}  // namespace

std::span<const Entry> entries()
{
    return Entries;
}

std::span<const Page> pages()
{
    return Pages;
}

std::span<const Menu> menus()
{
    return Menus;
}

const Entry* findByCaption(const QString& caption)
{
    for (const Entry& e : Entries)
        if (caption == QString::fromUtf16(e.caption))
            return &e;
    return nullptr;
}

const Entry* findByAction(const QString& actionName)
{
    for (const Entry& e : Entries)
        if (actionName == QLatin1String(e.action))
            return &e;
    return nullptr;
}

}  // namespace Launcher
