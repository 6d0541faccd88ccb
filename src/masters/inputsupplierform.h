#pragma once

#include "findsupplierdlg.h"
#include "mastereditform.h"

// "仕入先台帳 (suppliers)": the code-keyed master editor over MasterTables::supplier().
class TInputSupplierForm : public MasterEditForm {
    Q_OBJECT

public:
    explicit TInputSupplierForm(QWidget* owner) : MasterEditForm(owner, MasterTables::supplier())
    {
        FormCreate();
    }

protected:
    std::optional<QString> pickCode() override { return lookUpCode<TFindSupplierDlg>(this); }
};
