#pragma once

#include "finditemcategodlg.h"
#include "mastereditform.h"

// "商品分類台帳 (item categories)": the code-keyed master editor over MasterTables::itemCategory().
class TInputItemCategoForm : public MasterEditForm {
    Q_OBJECT

public:
    explicit TInputItemCategoForm(QWidget* owner) : MasterEditForm(owner, MasterTables::itemCategory())
    {
        FormCreate();
    }

protected:
    std::optional<QString> pickCode() override { return lookUpCode<TFindItemCategoDlg>(this); }
};
