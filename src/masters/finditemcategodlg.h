#pragma once

#include "masterlistdlg.h"

// "商品分類検索": picks an item category code from the whole list.
class TFindItemCategoDlg : public MasterListDlg {
    Q_OBJECT

public:
    explicit TFindItemCategoDlg(QWidget* owner)
        : MasterListDlg(owner, QStringLiteral("商品分類検索"), MasterLookup::ListNames::itemCategory())
    {
        FormCreate();
    }
};
