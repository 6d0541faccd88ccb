#pragma once

#include <QString>

#include "report.h"

class Dataset;

// The print layout of the customer and supplier ledgers (twins): A4 landscape,
// the partner heading and the period over fourteen columns, one line per row of
// the window's ledger, exactly as the window holds it (detail lines only while
// they are shown, running balances already in the rows).
class LedgerRptForm : public Report {
public:
    // What differs between the twins.
    struct Names {
        QString title;           // "顧客元帳"
        QString partnerDataset;  // "CustomerDataSet"
        QString codeCaption;     // "顧客コード："
        QString codeField;       // 顧客コード
        QString nameField;       // 顧客名
        qreal codeLeft = 0;
        qreal nameLeft = 0;
        QString creditTotalCaption, creditTotalField;  // 掛売合計
        QString payLineCaption, payLineField;          // 入金額
        QString payTotalCaption, payTotalField;        // 入金合計
    };
    static const Names& customerNames();
    static const Names& supplierNames();

    LedgerRptForm(const Names& names, Dataset& ledger, Dataset& partner);

    ReportLabel QRLabelDateFrom{*this, QStringLiteral("QRLabelDateFrom")};
    ReportLabel QRLabelDateTo{*this, QStringLiteral("QRLabelDateTo")};

private:
    // With the ledger's rows, the amount columns are widened for the largest
    // amount they hold (TabularLayout::widenForFigures), the names narrowed.
    static ReportLayout buildLayout(const Names& names, const Dataset* ledger = nullptr);
};
