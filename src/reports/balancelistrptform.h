#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "money.h"

#include "report.h"

class Dataset;

// The print layout of the receivable and payable balance lists (twins): A4
// portrait, the period over seven columns, one line per row of the window's list
// in the order the user last sorted it.
class BalanceListRptForm : public Report {
public:
    struct Names {
        QString title;        // "売掛残高一覧表"
        QString codeField;    // 顧客コード
        QString nameField;    // 顧客名
        QString cashField;    // 期間現金売合計
        QString creditField;  // 期間掛売合計
        QString payField;     // 期間入金合計
    };
    static const Names& receivableNames();
    static const Names& payableNames();

    BalanceListRptForm(const Names& names, Dataset& list);

    ReportLabel QRLabelDateFrom{*this, QStringLiteral("QRLabelDateFrom")};
    ReportLabel QRLabelDateTo{*this, QStringLiteral("QRLabelDateTo")};

    // The 合計 line after the last row: the sums by column name, each printed
    // under its column (columns the list does not print are left out).
    void setTotals(const std::vector<std::pair<QString, Money>>& totals);
    // The name of the total printed under `field`'s column.
    static QString totalName(const QString& field) { return QStringLiteral("QRLabelTotal") + field; }

private:
    static ReportLayout buildLayout(const Names& names);

    QStringList m_printed;  // the money columns the list prints
};
