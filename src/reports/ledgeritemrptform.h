#pragma once

#include <QString>

#include "report.h"

class Dataset;

// The item ledger print: A4 landscape, the item and the period over nine
// columns, one line per row of the window's ledger (the carried-forward row
// first, running stock already in the rows). The heading repeats on every page
// and names the item of `ItemDataSet`'s current row.
class TLedgerItemRptForm : public Report {
public:
    TLedgerItemRptForm(Dataset& LedgerDataSet, Dataset& ItemDataSet);

    ReportLabel QRLabelDateFrom{*this, QStringLiteral("QRLabelDateFrom")};
    ReportLabel QRLabelDateTo{*this, QStringLiteral("QRLabelDateTo")};

private:
    // With the ledger's rows, the figure columns are widened for the largest
    // figure they hold, the partner names narrowed.
    static ReportLayout buildLayout(const Dataset* ledger = nullptr);
};
