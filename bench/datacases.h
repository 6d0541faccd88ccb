#pragma once

#include <QDate>
#include <QString>

class BenchSuite;

// What the cases run on: the file, and rows picked from it once, so that every
// case and its baseline read the same data.
struct BenchContext {
    QString path;
    qint64 slipNo = 0;  // a sales slip with several lines, from the middle of the series
    QDate month;        // the first day of the month that the monthly cases cover

    static BenchContext choose(const QString& path);
};

// The data layer's cases: opening a connection, reading a slip, a monthly sum
// through a report view.
void addDataCases(BenchSuite& suite, const BenchContext& context);
