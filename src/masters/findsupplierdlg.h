#pragma once

#include "partnerfinddlg.h"

// "仕入先検索": picks a supplier code.
class TFindSupplierDlg : public PartnerFindDlg {
    Q_OBJECT

public:
    explicit TFindSupplierDlg(QWidget* owner)
        : PartnerFindDlg(owner, QStringLiteral("仕入先検索"), PartnerSide::supplier())
    {
        FormCreate();
    }
};
