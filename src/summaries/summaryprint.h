#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <memory>

#include "summarycomputation.h"

class Dataset;
class Report;
struct ColumnSpec;

// A summary printed as its grid shows it, without the window: the rows in the
// dataset's current order, the code and name columns on every page width, the
// days of a month over two page widths, the total row and the 合計 column shaded.
//
//     SummaryComputation summary(connection, SummaryGroup::salesByItem(), SummaryBucket::Day);
//     summary.build(period);
//     auto report = summaryReport(QStringLiteral("月間売上集計表"), summary, period);
//     writePdf(report->paginate(), path);  // or previewReport(window, *report)
namespace SummaryPrint {

// The smallest width of a day or month column, mm: a month's days go over two
// page widths, a year's months fit one.
inline constexpr qreal MinColumnWidth = 13;

// "月間売上集計表（商品別）", or the caption alone for a summary of one table.
QString title(const QString& caption, const SummaryGroup& group);
// "2024年3月" of a month, "2024年" of a year.
QString periodText(SummaryBucket bucket, const Period& period);
// The columns as the grid titles them: a month's days with their weekdays ("1 (土)").
QList<ColumnSpec> columns(const SummaryGroup& group, SummaryBucket bucket, const Period& period);
// The colour a day's title prints in: blue on Saturday, red on Sunday, grey for
// a day the month lacks, black (invalid) for the others.
QColor titleColor(BucketTitle::Tone tone);
// The shading of the total row and the 合計 column on paper (the grid paints
// them on the button face).
QColor face();

}  // namespace SummaryPrint

// The layout of one table of `group` over the rows of `dataset` as they stand,
// with `columns` as its grid shows them: the code and name columns repeat on
// every page width; `shade` (invalid for SummaryPrint::face()) lies under the
// 合計 column and, but in the two-row summary of a month, under the total row.
std::unique_ptr<Report> summaryReport(const QString& title, SummaryBucket bucket, const Period& period,
                                      Dataset& dataset, const QList<ColumnSpec>& columns,
                                      const SummaryGroup& group, const QColor& shade = {});

// The same for a built computation, titled by `caption` and its group: what
// the window's "印刷" prints for the tab shown.
std::unique_ptr<Report> summaryReport(const QString& caption, const SummaryComputation& summary,
                                      const Period& period, const QColor& shade = {});
