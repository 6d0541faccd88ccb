#pragma once

#include "partnerfinddlg.h"

// "顧客検索": picks a customer code.
class TFindCustomerDlg : public PartnerFindDlg {
    Q_OBJECT

public:
    explicit TFindCustomerDlg(QWidget* owner)
        : PartnerFindDlg(owner, QStringLiteral("顧客検索"), PartnerSide::customer())
    {
        FormCreate();
    }
};
