#pragma once

// What the ledger and balance-list window tests share: the two sides, the
// layout a window hands to its preview, and the texts a layout prints.

#include <QApplication>
#include <QDate>
#include <QStringList>
#include <QTest>

#include <memory>

#include "books.h"
#include "report.h"
#include "reportdocument.h"

inline void addSideRows()
{
    QTest::addColumn<int>("side");
    QTest::newRow("customer") << 0;
    QTest::newRow("supplier") << 1;
}

inline const BookSide& booksOf(int side)
{
    return side == 0 ? kCustomerSide : kSupplierSide;
}

// What a window handed to its print preview, looked at before the preview
// would have shown it.
struct PrintedReport {
    int previews = 0;
    QString dateFrom, dateTo;
    ReportDocument document;
};

template <class Window>
std::shared_ptr<PrintedReport> catchPrint(Window& window)
{
    auto printed = std::make_shared<PrintedReport>();
    window.setReportPreview([printed](QWidget*, const Report& report) {
        ++printed->previews;
        printed->dateFrom = report.text(QStringLiteral("QRLabelDateFrom"));
        printed->dateTo = report.text(QStringLiteral("QRLabelDateTo"));
        printed->document = report.paginate();
        return 0;
    });
    return printed;
}

// The texts printed for `tag` (a named text or a data field), page by page, top to bottom.
inline QStringList textsTagged(const ReportDocument& document, const QString& tag)
{
    QStringList texts;
    for (const ReportPage& page : document.pages)
        for (const ReportOp& op : page.ops)
            if (op.kind == ReportOp::Kind::Text && op.tag == tag)
                texts << op.text;
    return texts;
}

const QDate F(2024, 3, 1);
const QDate T(2024, 3, 31);
