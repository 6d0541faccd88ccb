#include "sliplookups.h"

#include "codelookup.h"
#include "findcustomerdlg.h"
#include "findemployeedlg.h"
#include "finditemdlg.h"
#include "findsupplierdlg.h"

namespace SlipLookups {

std::optional<QString> pickPartner(QWidget* owner, const PartnerSide& side)
{
    return side.isCustomer ? lookUpCode<TFindCustomerDlg>(owner) : lookUpCode<TFindSupplierDlg>(owner);
}

std::optional<QString> pickEmployee(QWidget* owner)
{
    return lookUpCode<TFindEmployeeDlg>(owner);
}

std::optional<QString> pickItem(QWidget* owner)
{
    return lookUpCode<TFindItemDlg>(owner);
}

}  // namespace SlipLookups
