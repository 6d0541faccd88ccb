#pragma once

#include "masterlistdlg.h"

// "担当者検索": picks a staff code from the whole list.
class TFindEmployeeDlg : public MasterListDlg {
    Q_OBJECT

public:
    explicit TFindEmployeeDlg(QWidget* owner)
        : MasterListDlg(owner, QStringLiteral("担当者検索"), MasterLookup::ListNames::employee())
    {
        FormCreate();
    }
};
