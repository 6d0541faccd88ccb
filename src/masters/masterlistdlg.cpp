#include "masterlistdlg.h"

#include "dataset.h"
#include "dbgrid.h"

MasterListDlg::MasterListDlg(QWidget* owner, const QString& caption, const MasterLookup::ListNames& names)
    : MasterFindDlg(owner, caption, QSize(332, 386), names.codeColumn), m_names(names)
{
    setResultColumns({
        {names.codeColumn, names.codeColumn, 100},
        {names.nameColumn, names.nameColumn, 190},
    });
    setTabOrderFrom({});
    GridResult->setFocus();
}

void MasterListDlg::openFixedLists()
{
    MasterLookup::prepareList(*ResultDataSet, m_names);
    ResultDataSet->open();
}
