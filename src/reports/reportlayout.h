#pragma once

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <deque>
#include <functional>
#include <vector>

#include "field.h"

// A print layout as data: page set-up and bands, each band holding items at
// millimetre boxes. A layout says what goes where; the paginator fills it from
// the printing window's datasets and the painter draws the result.

enum class BandKind {
    Title,         // once, at the top of the first page
    ColumnHeader,  // at the top of every page, below the title on the first page
    Detail,        // once per row of the driving dataset
    SubDetail,     // once per linked row of its own dataset, after each detail
    Summary,       // once, after the last detail (totals); not when no row prints
    PageFooter,    // at the bottom of every page
    // In the top margin of every page that prints a driving row, with the first
    // such row of the page: what places a loose page (a bill's customer).
    PageHeader,
};

enum class BandRule { None, Thin, Thick };

// The rules under bands are one and two pixels at 96 dots per inch, in mm.
inline constexpr qreal ThinRuleWidth = 25.4 / 96;
inline constexpr qreal ThickRuleWidth = 2 * 25.4 / 96;
// Lines and rectangle outlines drawn as items.
inline constexpr qreal HairLineWidth = 0.1;

// The face is fixed (see reportFont); a layout chooses size and style.
struct ReportFont {
    qreal pointSize = 9;
    bool bold = false;
    bool underline = false;

    static ReportFont regular(qreal pointSize = 9) { return {pointSize, false, false}; }
    static ReportFont bolded(qreal pointSize = 9) { return {pointSize, true, false}; }
    bool operator==(const ReportFont&) const = default;
};

enum class ItemKind {
    FixedText,   // a caption; with a name, the printing window may replace it
    DataText,    // the display text of one field of a bound dataset
    SystemDate,  // the print date, "yyyy/MM/dd"
    // `text` with %1 = this page, %2 = the page count; %3 = this page among the
    // pages of its driving row, %4 = their count (a bill's "n / m": the pages
    // from one detail band that starts a new page to the next)
    PageNumber,
    Rectangle,       // outline, optionally filled
    HorizontalLine,  // across the middle of the box
    VerticalLine,    // down the middle of the box
    Image,           // a fixed picture, stretched into the box
    DataImage,       // a picture (PNG bytes) from a field, stretched into the box
};

struct ReportItem {
    ItemKind kind = ItemKind::FixedText;
    QRectF box;  // mm from the band's left and top edges
    Qt::Alignment alignment = Qt::AlignLeft;
    ReportFont font;
    QString text;  // caption, or the page number pattern
    QString name;  // of a named fixed text
    QString dataset;
    QString field;
    // The kind of value the text is, which decides how it fits its box (see
    // TextFitter): a figure (any format but Text) is never printed as a part of
    // itself; a data text prints in this format unless the window gives its own.
    DisplayFormat format = DisplayFormat::Text;
    // An identifier (a code) of Text format fitted as a figure: whole or not at all.
    bool whole = false;
    bool wordWrap = false;
    // Texts sit on an opaque white box; a transparent colour lets what is below show.
    QColor background = Qt::white;
    QColor color = Qt::black;  // of a text
    QColor fill;               // of a rectangle; invalid for none
    qreal penWidth = HairLineWidth;
    QImage image;
    // Of a layout printed in column groups: the one group this item prints in;
    // -1 prints it in every group (the columns that stay while the others move on).
    int columnGroup = -1;

    static ReportItem fixedText(const QRectF& box, const QString& caption, Qt::Alignment alignment,
                                ReportFont font = {});
    // A named text of `format` (a total, a date) fits as its kind does.
    static ReportItem namedText(const QString& name, const QRectF& box, Qt::Alignment alignment,
                                ReportFont font = {}, const QString& caption = {},
                                DisplayFormat format = DisplayFormat::Text);
    static ReportItem dataText(const QString& dataset, const QString& field, const QRectF& box,
                               Qt::Alignment alignment, DisplayFormat format = DisplayFormat::Text,
                               ReportFont font = {});
    static ReportItem systemDate(const QRectF& box, Qt::Alignment alignment, ReportFont font = {});
    static ReportItem pageNumber(const QRectF& box, Qt::Alignment alignment, const QString& pattern = "%1",
                                 ReportFont font = {});
    static ReportItem rectangle(const QRectF& box, const QColor& fill = {});
    static ReportItem horizontalLine(const QRectF& box);
    static ReportItem verticalLine(const QRectF& box);
    static ReportItem picture(const QRectF& box, const QImage& image);
    static ReportItem dataImage(const QString& dataset, const QString& field, const QRectF& box);
};

struct ReportBand {
    BandKind kind = BandKind::Detail;
    qreal height = 0;  // mm
    BandRule rule = BandRule::None;
    bool newPageBefore = false;  // a detail band that always starts a new page
    // A sub-detail band's own dataset. With link fields it prints the rows whose
    // detailField equals the driving row's masterField; without them the dataset
    // follows the driving dataset through its master link, as on screen.
    QString dataset;
    QString masterField;
    QString detailField;
    std::vector<ReportItem> items;
    // A detail band's background by the row it prints (a group row shaded as on
    // screen): an invalid colour leaves the paper white. Drawn under the items.
    std::function<QColor(int row)> rowBackground;

    ReportBand& add(ReportItem item)
    {
        items.push_back(std::move(item));
        return *this;
    }
};

struct ReportLayout {
    QString title;  // the document's name in the preview and the PDF
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF paper{210, 297};  // A4, portrait, mm
    QMarginsF margins{10, 10, 10, 10};
    QString drivingDataset;
    // Bands print by kind (title, headers, details and their sub-details, footers),
    // bands of one kind in the order added. A deque: adding a band leaves the
    // references to earlier ones valid.
    std::deque<ReportBand> bands;
    // Columns too many for one page width are printed in groups: the whole report
    // (title, rows, totals) once per group, all rows with the first group's
    // columns, then all rows again with the next group's, each group from a new
    // page. Pages are numbered through the groups.
    int columnGroups = 1;

    QSizeF pageSize() const;  // oriented
    qreal printableWidth() const { return pageSize().width() - margins.left() - margins.right(); }
    ReportBand& addBand(BandKind kind, qreal height, BandRule rule = BandRule::None);
    const ReportBand* band(BandKind kind) const;  // the first of that kind
};
