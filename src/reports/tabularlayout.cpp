#include "tabularlayout.h"

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
                                     Qt::AlignHCenter));
    header.add(ReportItem::fixedText({36.0, top, 6.6, TextHeight}, QStringLiteral("～"), Qt::AlignHCenter));
    header.add(ReportItem::namedText(QStringLiteral("QRLabelDateTo"), {44.5, top, 19.3, TextHeight},
                                     Qt::AlignHCenter));
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
