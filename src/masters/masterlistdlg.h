#pragma once

#include "masterfinddlg.h"
#include "masterlookup.h"

// The item category and staff lookup: no search fields; the whole table in
// code order, opened as the dialog is created. The twins differ only by caption
// and names.
class MasterListDlg : public MasterFindDlg {
    Q_OBJECT

protected:
    MasterListDlg(QWidget* owner, const QString& caption, const MasterLookup::ListNames& names);

    void openFixedLists() override;

private:
    const MasterLookup::ListNames& m_names;
};
