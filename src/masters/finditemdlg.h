#pragma once

#include "masterfinddlg.h"

class QComboBox;

// "商品検索": picks an item code. Searches by code, name and kana (each a
// "contains" text, a null name or kana matching any text) and, when one is
// chosen, by category. The result stays empty (not opened) until the first search.
class TFindItemDlg : public MasterFindDlg {
    Q_OBJECT

public:
    explicit TFindItemDlg(QWidget* owner);

    QLineEdit* EditCode = nullptr;
    QLineEdit* EditName = nullptr;
    QLineEdit* EditKana = nullptr;
    // The categories as code and name, after an empty first entry: no category.
    QComboBox* ComboCategory = nullptr;
    QPushButton* ButtonFind = nullptr;
    Dataset* CategoryDataSet = nullptr;

    void ButtonFindClick();

protected:
    void openFixedLists() override;
};
