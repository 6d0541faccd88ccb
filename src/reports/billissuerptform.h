#pragma once

#include "report.h"

class Dataset;

// The bill: A4 portrait, one bill per row of the window's list (the rows marked
// for printing), each from a new page: the customer's address block, the
// company's block with its logo, the four amounts, then a ruled table of the
// customer's credit-sale lines, continued on further pages as needed; the bank
// account for transfers at the foot of every page.
//
// It reads the bill window's ListDataSet (driving), DetailDataSet (the lines,
// which follow the list's current row) and CompanyDataSet (the company's row).
// Postal codes print from the calculated field 郵便番号表示 of the list and of
// the company row (seven digits, no hyphen).
class TBillIssueRptForm : public Report {
public:
    TBillIssueRptForm(Dataset& ListDataSet, Dataset& DetailDataSet, Dataset& CompanyDataSet);

    ReportLabel QRLabelDate{*this, QStringLiteral("QRLabelDate")};
    ReportLabel QRLabelBank{*this, QStringLiteral("QRLabelBank")};

    // The sentence above the amounts.
    inline static const QString Request = QStringLiteral("下記の通り御請求申し上げます。");

    // The line in the top margin of every page: the customer's name (tagged
    // PageCustomer), the billing date and "n / m" among the bill's pages (PageOfBill).
    inline static const QString PageCustomer = QStringLiteral("QRPageCustomer");
    inline static const QString PageOfBill = QStringLiteral("QRPageOfBill");
    static constexpr qreal PageHeaderPointSize = 7;

    static ReportLayout buildLayout();
};
