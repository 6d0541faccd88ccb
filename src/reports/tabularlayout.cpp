#include "tabularlayout.h"

#include <algorithm>

#include "dataset.h"
#include "reportfit.h"

namespace TabularLayout {

ReportBand titleBand(const QString& title)
{
    ReportBand band;
    band.kind = BandKind::Title;
    band.height = TitleBandHeight;
    band.add(ReportItem::fixedText({2.1, 2.1, 38.4, 4.5}, title, Qt::AlignLeft, ReportFont::bolded(12)));
    return band;
}

void addPeriodLine(ReportBand& header, qreal top, qreal printLabelLeft, qreal printDateLeft)
{
    header.add(ReportItem::fixedText({2.1, top, 10.8, TextHeight}, QStringLiteral("期間："), Qt::AlignLeft,
                                     ReportFont::bolded()));
    header.add(ReportItem::namedText(QStringLiteral("QRLabelDateFrom"), {14.8, top, 19.3, TextHeight},
                                     Qt::AlignHCenter, {}, {}, DisplayFormat::Date));
    header.add(ReportItem::fixedText({36.0, top, 6.6, TextHeight}, QStringLiteral("～"), Qt::AlignHCenter));
    header.add(ReportItem::namedText(QStringLiteral("QRLabelDateTo"), {44.5, top, 19.3, TextHeight},
                                     Qt::AlignHCenter, {}, {}, DisplayFormat::Date));
    header.add(ReportItem::fixedText({printLabelLeft, top, 13.0, TextHeight}, QStringLiteral("印刷日："),
                                     Qt::AlignLeft, ReportFont::bolded()));
    header.add(ReportItem::systemDate({printDateLeft, top, 19.3, TextHeight}, Qt::AlignLeft));
}

void addColumns(ReportBand& header, qreal captionTop, ReportBand& detail, const QString& dataset,
                const std::vector<Column>& columns)
{
    for (const Column& column : columns) {
        header.add(ReportItem::fixedText({column.left, captionTop, column.width, TextHeight}, column.caption,
                                         Qt::AlignHCenter, ReportFont::bolded()));
        detail.add(ReportItem::dataText(dataset, column.field,
                                        {column.left, DataTop, column.width, TextHeight}, column.alignment,
                                        column.format));
    }
}

std::vector<Column> widenForFigures(std::vector<Column> columns, const Dataset* rows,
                                    const QStringList& donors, qreal pointSize, qreal keep)
{
    if (!rows || !rows->isOpen() || rows->count() == 0)
        return columns;
    TextFitter fitter;
    const ReportFont font = ReportFont::regular(pointSize);
    std::vector<qreal> wanted(columns.size(), 0);
    qreal more = 0;
    qreal room = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        if (donors.contains(c.field)) {
            room += c.width * (1 - keep);
            continue;
        }
        if (c.format == DisplayFormat::Text || c.format == DisplayFormat::Date)
            continue;
        qreal widest = 0;
        for (int r = 0; r < rows->count(); ++r)
            widest = std::max(widest, fitter.width(rows->fieldAt(r, c.field).display(c.format), font));
        wanted[i] = std::max(0.0, widest - c.width);
        more += wanted[i];
    }
    if (more <= 0 || room <= 0)
        return columns;
    // What the donors cannot give is not asked of them: the widest figures then shrink further.
    const qreal given = std::min(more, room);
    const qreal take = given / room;  // of each donor's spare width
    std::vector<qreal> gaps;
    for (size_t i = 0; i + 1 < columns.size(); ++i)
        gaps.push_back(columns[i + 1].left - columns[i].left - columns[i].width);
    for (size_t i = 0; i < columns.size(); ++i) {
        Column& c = columns[i];
        if (donors.contains(c.field))
            c.width -= c.width * (1 - keep) * take;
        else
            c.width += wanted[i] * given / more;
        if (i > 0)
            c.left = columns[i - 1].left + columns[i - 1].width + gaps[i - 1];
    }
    return columns;
}

ReportBand headerBand(qreal height)
{
    ReportBand band;
    band.kind = BandKind::ColumnHeader;
    band.height = height;
    band.rule = BandRule::Thick;
    return band;
}

ReportBand detailBand()
{
    ReportBand band;
    band.kind = BandKind::Detail;
    band.height = DetailBandHeight;
    band.rule = BandRule::Thin;
    return band;
}

}  // namespace TabularLayout
