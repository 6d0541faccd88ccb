#include "sliplookups.h"

#include "findcustomerdlg.h"
#include "findemployeedlg.h"
#include "finditemdlg.h"
#include "findsupplierdlg.h"
#include "modal.h"

namespace {

template <class Dlg>
std::optional<QString> pick(QWidget* owner)
{
    std::optional<QString> code;
    openModalWith<Dlg>(
        owner, [](Dlg&) {},
        [&code](Dlg& dlg, int result) {
            if (result == QDialog::Accepted)
                code = dlg.SelectedCode();
        });
    return code;
}

}  // namespace

namespace SlipLookups {

std::optional<QString> pickPartner(QWidget* owner, SlipKind::Partner partner)
{
    return partner == SlipKind::Partner::Customer ? pick<TFindCustomerDlg>(owner)
                                                  : pick<TFindSupplierDlg>(owner);
}

std::optional<QString> pickEmployee(QWidget* owner)
{
    return pick<TFindEmployeeDlg>(owner);
}

std::optional<QString> pickItem(QWidget* owner)
{
    return pick<TFindItemDlg>(owner);
}

}  // namespace SlipLookups
