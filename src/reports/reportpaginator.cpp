#include "reportpaginator.h"

#include <algorithm>

#include "dataset.h"
#include "formats.h"
#include "report.h"

namespace {

// Puts the driving dataset's cursor back where the window had it.
class CursorKeeper {
public:
    explicit CursorKeeper(Dataset* dataset) : m_dataset(dataset), m_row(dataset ? dataset->currentRow() : -1)
    {
    }
    ~CursorKeeper()
    {
        if (!m_moved || m_row < 0 || m_row >= m_dataset->count())
            return;
        try {
            m_dataset->moveTo(m_row);
        } catch (...) {
            // Restoring is best effort; the print itself has already failed or succeeded.
        }
    }
    void moveTo(int row)
    {
        m_moved = true;
        m_dataset->moveTo(row);
    }

private:
    Dataset* m_dataset;
    int m_row;
    bool m_moved = false;
};

constexpr qreal Tolerance = 1e-6;  // mm; bands that fit exactly must not spill

}  // namespace

ReportPaginator::ReportPaginator(const Report& report) : m_report(report), m_layout(report.layout())
{
    for (const ReportBand& band : m_layout.bands) {
        switch (band.kind) {
            case BandKind::Title:
                if (!m_title)
                    m_title = &band;
                break;
            case BandKind::ColumnHeader:
                m_headers.push_back(&band);
                break;
            case BandKind::Detail:
                m_details.push_back(&band);
                break;
            case BandKind::SubDetail:
                m_subDetails.push_back(&band);
                break;
            case BandKind::Summary:
                m_summaries.push_back(&band);
                break;
            case BandKind::PageFooter:
                m_footers.push_back(&band);
                m_footerHeight += band.height;
                break;
            case BandKind::PageHeader:
                m_pageHeaders.push_back(&band);
                break;
        }
    }
}

Dataset& ReportPaginator::boundDataset(const QString& name) const
{
    Dataset* dataset = m_report.dataset(name);
    if (!dataset)
        throw ReportError(
            QStringLiteral("帳票「%1」のデータセット「%2」が指定されていません。").arg(m_layout.title, name));
    return *dataset;
}

ReportDocument ReportPaginator::run()
{
    m_doc = ReportDocument();
    m_doc.title = m_layout.title;
    m_doc.orientation = m_layout.orientation;
    m_doc.paper = m_layout.paper;
    m_pageNumberOps.clear();
    m_sectionStarts.clear();

    if (!m_layout.drivingDataset.isEmpty())
        m_driving = &boundDataset(m_layout.drivingDataset);
    // Every dataset a band or item names must be bound, also when no row prints.
    for (const ReportBand& band : m_layout.bands) {
        if (band.kind == BandKind::SubDetail) {
            boundDataset(band.dataset);
            if (!m_driving)
                throw ReportError(
                    QStringLiteral("帳票「%1」に明細のデータセットがありません。").arg(m_layout.title));
        }
        for (const ReportItem& item : band.items) {
            if (!item.dataset.isEmpty())
                boundDataset(item.dataset);
        }
    }

    const int rows = m_driving ? m_driving->count() : 0;
    CursorKeeper keeper(m_driving);
    bool follows = false;
    for (const ReportBand* band : m_subDetails)
        follows = follows || band->masterField.isEmpty();
    for (m_group = 0; m_group < std::max(1, m_layout.columnGroups); ++m_group) {
        m_groupStart = m_doc.pages.size();
        startPage();
        for (int row = 0; row < rows; ++row) {
            for (const ReportBand* band : m_details) {
                if (band->newPageBefore && m_bodyOnPage)
                    newPage();
                if (band->newPageBefore)
                    m_sectionStarts.back() = true;
                placeBody(*band, row, -1);
            }
            if (m_subDetails.empty())
                continue;
            if (follows)
                keeper.moveTo(row);
            placeSubDetails(row);
        }
        // Totals of no rows print nothing.
        if (rows > 0)
            for (const ReportBand* band : m_summaries)
                placeBody(*band, -1, -1);
        finishPage();
    }
    numberPages();
    return std::move(m_doc);
}

void ReportPaginator::placeSubDetails(int row)
{
    for (const ReportBand* band : m_subDetails) {
        Dataset& detail = boundDataset(band->dataset);
        const bool byField = !band->masterField.isEmpty();
        const Field key = byField ? m_driving->fieldAt(row, band->masterField) : Field();
        for (int sub = 0; sub < detail.count(); ++sub) {
            if (byField) {
                const Field value = detail.fieldAt(sub, band->detailField);
                if (key.isNull() || value.isNull() || key.value() != value.value())
                    continue;
            }
            placeBody(*band, row, sub);
        }
    }
}

void ReportPaginator::startPage()
{
    m_doc.pages.emplace_back().columnGroup = m_group;
    m_sectionStarts.push_back(m_doc.pages.size() == m_groupStart + 1);
    m_y = m_layout.margins.top();
    m_bodyOnPage = false;
    // The title heads the first page of every column group.
    if (m_doc.pages.size() == m_groupStart + 1 && m_title)
        place(*m_title, -1, -1);
    for (const ReportBand* band : m_headers)
        place(*band, -1, -1);
}

void ReportPaginator::finishPage()
{
    // The page's headers, in the top margin above the body, with its first driving row.
    int row = -1;
    for (const PlacedBand& placed : m_doc.pages.back().bands) {
        if (placed.row >= 0 && (placed.kind == BandKind::Detail || placed.kind == BandKind::SubDetail)) {
            row = placed.row;
            break;
        }
    }
    if (row >= 0) {
        qreal height = 0;
        for (const ReportBand* band : m_pageHeaders)
            height += band->height;
        m_y = m_layout.margins.top() - height;
        for (const ReportBand* band : m_pageHeaders)
            place(*band, row, -1);
    }
    m_y = m_layout.pageSize().height() - m_layout.margins.bottom() - m_footerHeight;
    for (const ReportBand* band : m_footers)
        place(*band, -1, -1);
}

void ReportPaginator::newPage()
{
    finishPage();
    startPage();
}

void ReportPaginator::placeBody(const ReportBand& band, int row, int subRow)
{
    const qreal limit = m_layout.pageSize().height() - m_layout.margins.bottom() - m_footerHeight;
    // A band taller than an empty page prints anyway rather than paging forever.
    if (m_bodyOnPage && m_y + band.height > limit + Tolerance)
        newPage();
    place(band, row, subRow);
    m_bodyOnPage = true;
}

void ReportPaginator::place(const ReportBand& band, int row, int subRow)
{
    ReportPage& page = m_doc.pages.back();
    page.bands.push_back({band.kind, m_y, band.height, row, subRow});
    const qreal left = m_layout.margins.left();
    if (band.rowBackground && row >= 0) {
        const QColor shade = band.rowBackground(row);
        if (shade.isValid()) {
            ReportOp op;
            op.box = QRectF(left, m_y, m_layout.printableWidth(), band.height);
            op.background = shade;
            op.tag = QStringLiteral("rowBackground");
            page.ops.push_back(std::move(op));
        }
    }
    for (const ReportItem& item : band.items)
        placeItem(item, left, m_y, band, row, subRow);
    if (band.rule != BandRule::None) {
        const qreal width = band.rule == BandRule::Thick ? ThickRuleWidth : ThinRuleWidth;
        ReportOp rule;
        rule.kind = ReportOp::Kind::Line;
        // The stroke lies inside the band, its lower edge on the band's bottom edge.
        const qreal y = m_y + band.height - width / 2;
        rule.box = QRectF(QPointF(left, y), QPointF(left + m_layout.printableWidth(), y));
        rule.penWidth = width;
        rule.tag = QStringLiteral("rule");
        page.ops.push_back(std::move(rule));
    }
    m_y += band.height;
}

Field ReportPaginator::fieldOf(const ReportItem& item, const ReportBand& band, int row, int subRow) const
{
    Dataset& dataset = boundDataset(item.dataset);
    if (subRow >= 0 && item.dataset == band.dataset)
        return dataset.fieldAt(subRow, item.field);
    if (row >= 0 && &dataset == m_driving)
        return dataset.fieldAt(row, item.field);
    return dataset.field(item.field);  // the dataset's current row; null when it has none
}

void ReportPaginator::placeItem(const ReportItem& item, qreal left, qreal top, const ReportBand& band,
                                int row, int subRow)
{
    if (item.columnGroup >= 0 && item.columnGroup != m_group)
        return;
    ReportOp op;
    FitRule rule = FitRule::Text;
    op.box = item.box.translated(left, top);
    op.alignment = item.alignment;
    op.font = item.font;
    op.wordWrap = item.wordWrap;
    op.background = item.background;
    op.color = item.color;
    op.penWidth = item.penWidth;
    op.tag = item.name.isEmpty() ? item.field : item.name;
    switch (item.kind) {
        case ItemKind::FixedText:
            op.text = item.name.isEmpty() ? item.text : m_report.text(item.name);
            rule = fitRuleOf(item.format, item.whole);
            break;
        case ItemKind::DataText: {
            const DisplayFormat format = m_report.formatOf(item);
            op.text = fieldOf(item, band, row, subRow).display(format);
            rule = fitRuleOf(format, item.whole);
            break;
        }
        case ItemKind::SystemDate:
            op.text = Formats::displayDate(m_report.printDate());
            op.tag = QStringLiteral("systemDate");
            rule = FitRule::Figure;
            break;
        case ItemKind::PageNumber:
            op.text = item.text;
            op.tag = item.name.isEmpty() ? QStringLiteral("pageNumber") : item.name;
            m_pageNumberOps.emplace_back(m_doc.pages.size() - 1, m_doc.pages.back().ops.size());
            break;
        case ItemKind::Rectangle:
            op.kind = ReportOp::Kind::Rectangle;
            op.fill = item.fill;
            op.background = QColor();
            break;
        case ItemKind::HorizontalLine: {
            op.kind = ReportOp::Kind::Line;
            const qreal y = op.box.center().y();
            op.box = QRectF(QPointF(op.box.left(), y), QPointF(op.box.right(), y));
            op.background = QColor();
            break;
        }
        case ItemKind::VerticalLine: {
            op.kind = ReportOp::Kind::Line;
            const qreal x = op.box.center().x();
            op.box = QRectF(QPointF(x, op.box.top()), QPointF(x, op.box.bottom()));
            op.background = QColor();
            break;
        }
        case ItemKind::Image:
            op.kind = ReportOp::Kind::Image;
            op.image = item.image;
            op.background = QColor();
            break;
        case ItemKind::DataImage: {
            op.kind = ReportOp::Kind::Image;
            op.background = QColor();
            const Field field = fieldOf(item, band, row, subRow);
            // No picture, or bytes that are not one: the box stays empty.
            if (!field.isNull())
                op.image = QImage::fromData(field.asBytes());
            if (op.image.isNull())
                return;
            break;
        }
    }
    if (op.kind == ReportOp::Kind::Text && !op.text.isEmpty())
        op.text = m_fitter.printable(op.text, op.font, m_doc.markedCharacters);
    if (op.kind == ReportOp::Kind::Text && op.wordWrap) {
        placeWrapped(std::move(op));
        return;
    }
    // A page number is fitted once the page count is known.
    if (op.kind == ReportOp::Kind::Text && item.kind != ItemKind::PageNumber)
        fitText(op, rule, m_doc.pages.size() - 1, row, subRow);
    m_doc.pages.back().ops.push_back(std::move(op));
}

void ReportPaginator::placeWrapped(ReportOp op)
{
    // The box's background once, then one op per line, each a one-line text on
    // its own baseline, so that what the display list holds is what prints.
    std::vector<ReportOp>& ops = m_doc.pages.back().ops;
    const WrappedText wrapped = m_fitter.wrap(op.text, op.font, op.box.size());
    ReportOp box = op;
    box.text.clear();
    box.wordWrap = false;
    ops.push_back(std::move(box));
    op.wordWrap = false;
    op.background = QColor();
    op.font.pointSize = wrapped.pointSize;
    op.baseline = m_fitter.ascent(op.font);
    const QRectF whole = op.box;
    for (qsizetype i = 0; i < wrapped.lines.size(); ++i) {
        ReportOp line = op;
        line.text = wrapped.lines[i];
        line.box = QRectF(whole.left(), whole.top() + qreal(i) * wrapped.lineHeight, whole.width(),
                          wrapped.lineHeight);
        ops.push_back(std::move(line));
    }
}

void ReportPaginator::numberPages()
{
    const QString count = QString::number(m_doc.pages.size());
    // Each page's place among the pages of its section (from one page a detail
    // band started anew to the next).
    std::vector<int> inSection(m_doc.pages.size(), 1);
    std::vector<int> sectionPages(m_doc.pages.size(), 1);
    for (size_t page = 1; page < m_doc.pages.size(); ++page)
        inSection[page] = m_sectionStarts[page] ? 1 : inSection[page - 1] + 1;
    for (size_t page = m_doc.pages.size(); page-- > 0;)
        sectionPages[page] = page + 1 < m_doc.pages.size() && inSection[page + 1] > 1 ? sectionPages[page + 1]
                                                                                      : inSection[page];
    for (const auto& [page, index] : m_pageNumberOps) {
        ReportOp& op = m_doc.pages[page].ops[index];
        op.text.replace(QStringLiteral("%1"), QString::number(page + 1));
        op.text.replace(QStringLiteral("%2"), count);
        op.text.replace(QStringLiteral("%3"), QString::number(inSection[page]));
        op.text.replace(QStringLiteral("%4"), QString::number(sectionPages[page]));
        fitText(op, FitRule::Figure, page, -1, -1);
    }
}

void ReportPaginator::fitText(ReportOp& op, FitRule rule, size_t page, int row, int subRow)
{
    op.baseline = m_fitter.ascent(op.font);
    if (op.wordWrap || op.text.isEmpty())
        return;
    FittedText fitted = m_fitter.fit(op.text, op.font, op.box.width(), rule);
    if (fitted.overflow)
        m_doc.overflows.push_back({int(page), row, subRow, op.tag, op.text});
    op.text = std::move(fitted.text);
    op.font.pointSize = fitted.pointSize;
}
