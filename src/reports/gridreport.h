#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Dataset;
class Report;
struct ColumnSpec;

// A list printed as its grid shows it: A4 landscape, the title on the first
// page, on every page the period, the print date and the grid's shown columns
// with their titles, one line per row of the dataset in its current order and
// filter with each column's display format and alignment, the rows the grid
// shades shaded alike, and "n / m" at the foot of every page. Column widths
// keep the grid's proportions across the printable width.
//
//     auto report = gridReport("売上明細表（伝票別）", ds, grid->datasetModel()->declaredColumns(),
//                              [&](int row) { return ...; });
//     report->setText("QRLabelDateFrom", from);  // and QRLabelDateTo
//     previewReport(this, *report);
//
// Columns too many for the page width (a month's 31 days): with a minimum
// width, the columns after the first `frozenColumns` keep at least that width
// and their widest text at 7 pt, and go on over as many page widths as they
// need, each page width repeating the frozen columns: all rows with the first
// page width's columns, then all rows again with the next one's (see
// ReportLayout::columnGroups).
struct GridReportSpec {
    QString title;
    // The shading of a row, an invalid colour for none.
    std::function<QColor(int row)> rowBackground = {};
    // The period line: empty for "期間：" QRLabelDateFrom "～" QRLabelDateTo;
    // else this label ("集計年月：") and the one named text QRLabelPeriod.
    QString periodLabel = {};
    int frozenColumns = 0;
    qreal minColumnWidth = 0;  // mm; 0 fits every column into one page width
    // The shading of a whole column by its field (a totals column), an invalid colour for none.
    std::function<QColor(const QString& field)> columnBackground = {};
    // The colour of a column's title by its field (a day's weekday), an invalid colour for black.
    std::function<QColor(const QString& field)> titleColor = {};
    // Columns of codes: each as wide as its longest code and its title at the
    // print size, whatever the grid's proportions; a code prints whole.
    QStringList codeFields = {};
    // Columns of names: each takes at most a third of the page width; a longer
    // name ends in "…".
    QStringList nameFields = {};
};

std::unique_ptr<Report> gridReport(const GridReportSpec& spec, Dataset& dataset,
                                   const QList<ColumnSpec>& columns);

namespace GridReport {
inline constexpr qreal HeaderHeight = 16.1;
inline constexpr qreal FooterHeight = 6.0;
inline constexpr qreal ColumnGap = 0.8;       // mm between two columns' boxes
inline constexpr qreal LegiblePointSize = 7;  // the smallest size a column is widened for
inline constexpr qreal PrintPointSize = 9;    // of the titles and rows
inline constexpr qreal NameShare = 1.0 / 3;   // of the page width, at most, for a name column
// The shading printed under a total or group row: a light grey that reads on
// paper whatever colours the desktop gives the screen.
inline QColor shade()
{
    return QColor(0xdd, 0xdd, 0xdd);
}
}  // namespace GridReport
