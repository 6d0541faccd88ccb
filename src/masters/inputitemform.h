#pragma once

#include "finditemdlg.h"
#include "mastereditform.h"

// "商品台帳 (items)": the code-keyed master editor over MasterTables::item().
class TInputItemForm : public MasterEditForm {
    Q_OBJECT

public:
    explicit TInputItemForm(QWidget* owner) : MasterEditForm(owner, MasterTables::item()) { FormCreate(); }

protected:
    std::optional<QString> pickCode() override { return lookUpCode<TFindItemDlg>(this); }
};
