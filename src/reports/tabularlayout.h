#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "reportlayout.h"

class Dataset;

// The arrangement shared by the list and ledger layouts: a title band, a column
// header band with the period line and print date and the column captions, and
// a detail band with one data text under each caption.
namespace TabularLayout {

inline constexpr qreal TitleBandHeight = 9.3;
inline constexpr qreal DetailBandHeight = 5.8;
inline constexpr qreal TextHeight = 3.4;
inline constexpr qreal DataTop = 1.3;  // of a data text within the detail band

struct Column {
    QString caption;
    QString field;
    qreal left = 0;
    qreal width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;  // of the data text; captions are centred
    DisplayFormat format = DisplayFormat::Text;
};

// The title band: the document title, 12 pt bold, at the top left.
ReportBand titleBand(const QString& title);

// "期間：" QRLabelDateFrom "～" QRLabelDateTo at `top`, and "印刷日：" with the
// system date at the given lefts.
void addPeriodLine(ReportBand& header, qreal top, qreal printLabelLeft, qreal printDateLeft);

// The captions at `captionTop` of the header band, 9 pt bold and centred, and
// under each a data text of `dataset` in the detail band, in the caption's box.
void addColumns(ReportBand& header, qreal captionTop, ReportBand& detail, const QString& dataset,
                const std::vector<Column>& columns);

// The columns widened for the figures `rows` hold: a figure column (any format
// but Text and Date) whose widest text does not fit at `pointSize` is widened
// to hold it, the room taken from the `donors` (name columns) in proportion to
// their widths, each keeping at least `keep` of its own; the columns keep their
// order and the gaps between them, and the set its total width. Without rows
// or where every figure fits, the columns are returned as they are.
std::vector<Column> widenForFigures(std::vector<Column> columns, const Dataset* rows,
                                    const QStringList& donors, qreal pointSize = 7, qreal keep = 0.5);

// A column header band with its thick rule, and a detail band with its thin rule.
ReportBand headerBand(qreal height);
ReportBand detailBand();

}  // namespace TabularLayout
