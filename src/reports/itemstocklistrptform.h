#pragma once

#include <QString>

#include "report.h"

class Dataset;

// The item stock list print: A4 portrait, the period over six columns, one
// line per row of the window's list in the order the user last sorted it.
class TItemStockListRptForm : public Report {
public:
    explicit TItemStockListRptForm(Dataset& ListDataSet);

    ReportLabel QRLabelDateFrom{*this, QStringLiteral("QRLabelDateFrom")};
    ReportLabel QRLabelDateTo{*this, QStringLiteral("QRLabelDateTo")};

private:
    static ReportLayout buildLayout();
};
