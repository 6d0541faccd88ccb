#pragma once

#include "findcustomerdlg.h"
#include "mastereditform.h"

// "顧客台帳 (customers)": the code-keyed master editor over MasterTables::customer().
class TInputCustomerForm : public MasterEditForm {
    Q_OBJECT

public:
    explicit TInputCustomerForm(QWidget* owner) : MasterEditForm(owner, MasterTables::customer())
    {
        FormCreate();
    }

protected:
    std::optional<QString> pickCode() override { return lookUpCode<TFindCustomerDlg>(this); }
};
