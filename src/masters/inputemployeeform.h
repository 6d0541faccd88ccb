#pragma once

#include "findemployeedlg.h"
#include "mastereditform.h"

// "担当者台帳 (staff)": the code-keyed master editor over MasterTables::employee().
class TInputEmployeeForm : public MasterEditForm {
    Q_OBJECT

public:
    explicit TInputEmployeeForm(QWidget* owner) : MasterEditForm(owner, MasterTables::employee())
    {
        FormCreate();
    }

protected:
    std::optional<QString> pickCode() override { return lookUpCode<TFindEmployeeDlg>(this); }
};
