#pragma once

#include "masterfinddlg.h"
#include "masterlookup.h"
#include "partnerside.h"

// The customer and supplier search: four text fields (code, name, kana,
// telephone), "検索", and the matching rows. The twins differ only by caption
// and side. The result stays empty (not opened) until the first search.
class PartnerFindDlg : public MasterFindDlg {
    Q_OBJECT

public:
    QLineEdit* EditCode = nullptr;
    QLineEdit* EditName = nullptr;
    QLineEdit* EditKana = nullptr;
    QLineEdit* EditTel = nullptr;
    QPushButton* ButtonFind = nullptr;

    // Runs the search on the texts of the four fields, replacing the result.
    void ButtonFindClick();

protected:
    PartnerFindDlg(QWidget* owner, const QString& caption, const PartnerSide& side);

private:
    const PartnerSide& m_side;
};
