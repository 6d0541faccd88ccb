#include "gridreport.h"

#include <algorithm>
#include <cmath>

#include "dataset.h"
#include "datasetmodel.h"
#include "report.h"
#include "reportfit.h"
#include "tabularlayout.h"

namespace {

const QString ListName = QStringLiteral("ListDataSet");
constexpr qreal Gap = GridReport::ColumnGap;
constexpr qreal Slack = 1e-6;  // mm

// A column's share of a page width: its box is one gap narrower.
struct Placed {
    const ColumnSpec* spec;
    qreal left;
    qreal width;
    int group;  // the page width it prints on; -1 for every one
};

qreal pixels(const ColumnSpec& c)
{
    return std::max(c.width, 1);
}

QString captionOf(const ColumnSpec& c)
{
    return c.title.isEmpty() ? c.field : c.title;
}

// The widest of a column's title (bold) and texts at `pointSize`, with its gap.
qreal widestText(const ColumnSpec& c, Dataset& dataset, TextFitter& fitter, qreal pointSize)
{
    const ReportFont font = ReportFont::regular(pointSize);
    qreal widest = fitter.width(captionOf(c), ReportFont::bolded(pointSize));
    for (int r = 0; r < dataset.count(); ++r)
        widest = std::max(widest, fitter.width(dataset.fieldAt(r, c.field).display(c.format), font));
    return widest + Gap;
}

// Splits the moving columns' widths into page widths of `available` mm: as many
// as one after the other needs, their columns spread evenly over them. Returns
// each column's page width, from 0.
std::vector<int> pageWidths(const std::vector<qreal>& widths, qreal available)
{
    std::vector<int> greedy;
    int count = 1;
    qreal used = 0;
    for (qreal w : widths) {
        if (used > 0 && used + w > available + Slack) {
            ++count;
            used = 0;
        }
        used += w;
        greedy.push_back(count - 1);
    }
    // Even: a column goes where its middle falls on a ruler of `count` equal parts.
    qreal total = 0;
    for (qreal w : widths)
        total += w;
    const qreal part = total / count;
    std::vector<int> even;
    std::vector<qreal> sums;
    qreal before = 0;
    for (qreal w : widths) {
        int g = std::min(count - 1, int(std::floor((before + w / 2) / part)));
        // Numbered without gaps: no page width is left empty.
        g = even.empty() ? 0 : std::min(g, even.back() + 1);
        if (sums.size() <= size_t(g))
            sums.push_back(0);
        sums[size_t(g)] += w;
        even.push_back(g);
        before += w;
    }
    for (qreal sum : sums)
        if (sum > available + Slack)
            return greedy;
    return even;
}

// Column shares across the printable width: all in one page width as the
// grid's proportions give them unless a moving column would be narrower than
// the spec allows; then the frozen columns on every page width and the moving
// ones over as many as they need. A code column is as wide as its longest code
// and title at the print size; a name column takes at most NameShare of the
// width. Sets `groups` to the number of page widths.
std::vector<Placed> placeColumns(const GridReportSpec& spec, Dataset& dataset,
                                 const QList<ColumnSpec>& columns, qreal printable, int& groups)
{
    groups = 1;
    std::vector<const ColumnSpec*> shown;
    for (const ColumnSpec& c : columns) {
        if (c.visible)
            shown.push_back(&c);
    }
    std::vector<Placed> out;
    if (shown.empty())
        return out;
    // The last column ends at the right edge; a gap keeps neighbours' texts apart.
    const qreal usable = printable - 2 * Gap;
    const qreal nameCap = usable * GridReport::NameShare;
    const size_t frozen = size_t(std::clamp(spec.frozenColumns, 0, int(shown.size())));
    TextFitter fitter;
    const auto isCode = [&](size_t i) { return spec.codeFields.contains(shown[i]->field); };
    const auto isName = [&](size_t i) { return spec.nameFields.contains(shown[i]->field); };
    std::vector<qreal> code(shown.size(), 0);  // a code column's width, 0 for the others
    qreal codes = 0;
    qreal others = 0;  // the grid's pixels of the other columns
    for (size_t i = 0; i < shown.size(); ++i) {
        if (isCode(i))
            codes += code[i] = widestText(*shown[i], dataset, fitter, GridReport::PrintPointSize);
        else
            others += pixels(*shown[i]);
    }

    // One page width: the codes their own, the others the grid's proportions of
    // the rest, a name no more than its cap (what it leaves goes to the others).
    std::vector<qreal> share(shown.size(), 0);
    {
        qreal rest = std::max(0.0, usable - codes);
        qreal pixelsLeft = others;
        std::vector<bool> capped(shown.size(), false);
        for (bool again = true; again;) {
            again = false;
            for (size_t i = 0; i < shown.size(); ++i) {
                if (isCode(i) || capped[i])
                    continue;
                if (isName(i) && pixelsLeft > 0 && rest * pixels(*shown[i]) / pixelsLeft > nameCap) {
                    capped[i] = true;
                    share[i] = nameCap;
                    rest -= nameCap;
                    pixelsLeft -= pixels(*shown[i]);
                    again = true;
                }
            }
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            if (isCode(i))
                share[i] = code[i];
            else if (!capped[i])
                share[i] = pixelsLeft > 0 ? rest * pixels(*shown[i]) / pixelsLeft : 0;
        }
    }
    std::vector<qreal> needed(shown.size(), 0);
    bool split = false;
    if (spec.minColumnWidth > 0) {
        for (size_t i = 0; i < shown.size(); ++i) {
            needed[i] =
                std::max(code[i], widestText(*shown[i], dataset, fitter, GridReport::LegiblePointSize));
            if (i >= frozen) {
                needed[i] = std::max(spec.minColumnWidth, needed[i]);
                split = split || share[i] + Slack < needed[i];
            }
        }
    }
    if (!split) {
        qreal left = Gap;
        for (size_t i = 0; i < shown.size(); ++i) {
            out.push_back({shown[i], left, share[i], -1});
            left += share[i];
        }
        return out;
    }

    // The grid's proportions at the scale that gives the narrowest moving column
    // the minimum width, each frozen column as wide as its widest text (a name
    // no more than its cap), all on at most 40 % of the page: the codes keep
    // their widths, the other frozen columns share what is left of that.
    qreal narrowest = pixels(*shown[frozen]);
    for (size_t i = frozen; i < shown.size(); ++i)
        narrowest = std::min(narrowest, pixels(*shown[i]));
    const qreal scale = spec.minColumnWidth / narrowest;
    std::vector<qreal> frozenWidths;
    qreal frozenCodes = 0;
    qreal frozenOthers = 0;
    for (size_t i = 0; i < frozen; ++i) {
        if (isCode(i)) {
            frozenWidths.push_back(code[i]);
            frozenCodes += code[i];
            continue;
        }
        qreal width = std::max(pixels(*shown[i]) * scale, needed[i]);
        if (isName(i))
            width = std::min(width, nameCap);
        frozenWidths.push_back(width);
        frozenOthers += width;
    }
    const qreal room = std::max(0.0, usable * 0.4 - frozenCodes);
    const qreal othersShare = frozenOthers > room ? room / frozenOthers : 1.0;
    qreal left = Gap;
    for (size_t i = 0; i < frozen; ++i) {
        out.push_back({shown[i], left, isCode(i) ? frozenWidths[i] : frozenWidths[i] * othersShare, -1});
        left += out.back().width;
    }
    const qreal available = usable - (left - Gap);
    std::vector<qreal> widths;
    for (size_t i = frozen; i < shown.size(); ++i)
        widths.push_back(std::min(available, std::max(pixels(*shown[i]) * scale, needed[i])));
    const std::vector<int> group = pageWidths(widths, available);
    groups = group.back() + 1;
    // Each page width's columns widened alike to fill it.
    std::vector<qreal> sums(size_t(groups), 0);
    for (size_t k = 0; k < widths.size(); ++k)
        sums[size_t(group[k])] += widths[k];
    qreal at = left;
    for (size_t k = 0; k < widths.size(); ++k) {
        if (k == 0 || group[k] != group[k - 1])
            at = left;
        const qreal width = widths[k] * available / sums[size_t(group[k])];
        out.push_back({shown[frozen + k], at, width, group[k]});
        at += width;
    }
    return out;
}

void addPeriod(ReportBand& header, const QString& periodLabel, qreal printable)
{
    constexpr qreal top = 4.2;
    if (periodLabel.isEmpty()) {
        TabularLayout::addPeriodLine(header, top, printable - 35.7, printable - 20.9);
        return;
    }
    header.add(ReportItem::fixedText({2.1, top, 19.0, TabularLayout::TextHeight}, periodLabel, Qt::AlignLeft,
                                     ReportFont::bolded()));
    header.add(ReportItem::namedText(QStringLiteral("QRLabelPeriod"),
                                     {21.6, top, 40.0, TabularLayout::TextHeight}, Qt::AlignLeft, {}, {},
                                     DisplayFormat::Date));
    header.add(ReportItem::fixedText({printable - 35.7, top, 13.0, TabularLayout::TextHeight},
                                     QStringLiteral("印刷日："), Qt::AlignLeft, ReportFont::bolded()));
    header.add(
        ReportItem::systemDate({printable - 20.9, top, 19.3, TabularLayout::TextHeight}, Qt::AlignLeft));
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
    addPeriod(header, spec.periodLabel, printable);
    ReportBand detail = TabularLayout::detailBand();
    std::vector<ReportItem> shades;
    for (const Placed& p : placeColumns(spec, dataset, columns, printable, layout.columnGroups)) {
        const ColumnSpec& c = *p.spec;
        const size_t headerFrom = header.items.size();
        const size_t detailFrom = detail.items.size();
        const Qt::Alignment across = c.alignment & Qt::AlignHorizontal_Mask;
        TabularLayout::addColumns(
            header, 10.6, detail, ListName,
            {{captionOf(c), c.field, p.left, p.width - Gap, across ? across : Qt::AlignLeft, c.format}});
        const QColor titleColor = spec.titleColor ? spec.titleColor(c.field) : QColor();
        for (size_t i = headerFrom; i < header.items.size(); ++i) {
            header.items[i].columnGroup = p.group;
            if (titleColor.isValid())
                header.items[i].color = titleColor;
        }
        for (size_t i = detailFrom; i < detail.items.size(); ++i) {
            detail.items[i].columnGroup = p.group;
            detail.items[i].whole = spec.codeFields.contains(c.field);
        }
        const QColor shade = spec.columnBackground ? spec.columnBackground(c.field) : QColor();
        if (shade.isValid()) {
            // The whole cell, down to the row's rule.
            ReportItem cell = ReportItem::fixedText(
                {p.left - Gap / 2, 0, p.width, detail.height - ThinRuleWidth}, {}, Qt::AlignLeft);
            cell.background = shade;
            cell.columnGroup = p.group;
            shades.push_back(std::move(cell));
        }
    }
    // The shading lies under the texts: they leave their boxes clear.
    for (ReportItem& item : detail.items)
        item.background = Qt::transparent;
    detail.items.insert(detail.items.begin(), shades.begin(), shades.end());
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
