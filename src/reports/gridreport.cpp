#include "gridreport.h"

#include "datasetmodel.h"
#include "report.h"
#include "tabularlayout.h"

namespace {

const QString ListName = QStringLiteral("ListDataSet");

std::vector<TabularLayout::Column> layoutColumns(const QList<ColumnSpec>& columns, qreal printable)
{
    int total = 0;
    for (const ColumnSpec& c : columns)
        total += c.visible ? std::max(c.width, 1) : 0;
    std::vector<TabularLayout::Column> out;
    if (total == 0)
        return out;
    // The last column ends at the right edge; a gap keeps neighbours' texts apart.
    const qreal usable = printable - 2 * GridReport::ColumnGap;
    qreal left = GridReport::ColumnGap;
    for (const ColumnSpec& c : columns) {
        if (!c.visible)
            continue;
        const qreal share = usable * std::max(c.width, 1) / total;
        const Qt::Alignment across = c.alignment & Qt::AlignHorizontal_Mask;
        out.push_back({c.title.isEmpty() ? c.field : c.title, c.field, left, share - GridReport::ColumnGap,
                       across ? across : Qt::AlignLeft, c.format});
        left += share;
    }
    return out;
}

}  // namespace

std::unique_ptr<Report> gridReport(const GridReportSpec& spec, Dataset& dataset,
                                   const QList<ColumnSpec>& columns)
{
    ReportLayout layout;
    layout.title = spec.title;
    layout.orientation = QPageLayout::Landscape;
    layout.drivingDataset = ListName;
    const qreal printable = layout.printableWidth();

    ReportBand title;
    title.kind = BandKind::Title;
    title.height = TabularLayout::TitleBandHeight;
    title.add(ReportItem::fixedText({2.1, 2.1, printable / 2, 4.5}, spec.title, Qt::AlignLeft,
                                    ReportFont::bolded(12)));
    layout.bands.push_back(std::move(title));

    ReportBand header = TabularLayout::headerBand(GridReport::HeaderHeight);
    TabularLayout::addPeriodLine(header, 4.2, printable - 35.7, printable - 20.9);
    ReportBand detail = TabularLayout::detailBand();
    TabularLayout::addColumns(header, 10.6, detail, ListName, layoutColumns(columns, printable));
    // The shading lies under the texts: they leave their boxes clear.
    for (ReportItem& item : detail.items)
        item.background = Qt::transparent;
    detail.rowBackground = spec.rowBackground;
    layout.bands.push_back(std::move(header));
    layout.bands.push_back(std::move(detail));

    ReportBand footer;
    footer.kind = BandKind::PageFooter;
    footer.height = GridReport::FooterHeight;
    footer.add(ReportItem::pageNumber({printable / 2 - 20, 1.5, 40, TabularLayout::TextHeight},
                                      Qt::AlignHCenter, QStringLiteral("%1 / %2")));
    layout.bands.push_back(std::move(footer));

    auto report = std::make_unique<Report>(std::move(layout));
    report->bindDataset(ListName, dataset);
    // The grid's formats are the ones printed.
    report->adoptFormats(ListName, columns);
    return report;
}
