#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "connection.h"
#include "dataset.h"
#include "reportdocument.h"
#include "testdb.h"

// A fresh database and datasets shaped like the windows' ledgers, lists and partners.
class ReportFixture {
public:
    ReportFixture();

    // Rows shaped like a ledger: the carried-forward row, then `slips` credit-sale
    // slip rows, each followed by two detail lines (明細番号 1 and 2). The
    // purchase side names three columns 掛仕合計, 支払額, 支払合計. Every amount
    // is multiplied by `scale`.
    std::unique_ptr<Dataset> ledger(int slips, bool supplier = false, qint64 scale = 1);
    std::unique_ptr<Dataset> partner(bool supplier, const QString& code, const QString& name);
    // A balance list of the given rows: code, name, then the five amounts in yen
    // in column order (繰越残高, cash, credit, payments, 残高); an empty text is null.
    std::unique_ptr<Dataset> list(bool payable, const std::vector<QStringList>& rows);
    std::unique_ptr<Dataset> open(const QString& sql);

    TestDb db;
    Connection connection;
};

// Lookups in a laid-out page.
const ReportOp* opWithText(const ReportPage& page, const QString& text);
std::vector<const ReportOp*> opsTagged(const ReportPage& page, const QString& tag);
std::vector<const PlacedBand*> bandsOf(const ReportPage& page, BandKind kind);
int countText(const ReportDocument& document, const QString& text);
// The texts of the ops tagged `tag`, page by page, in print order.
QStringList textsTagged(const ReportDocument& document, const QString& tag);
bool near(qreal a, qreal b, qreal tolerance = 0.01);
bool sameBox(const QRectF& a, const QRectF& b, qreal tolerance = 0.01);
