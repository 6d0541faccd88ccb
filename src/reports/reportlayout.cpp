#include "reportlayout.h"

ReportItem ReportItem::fixedText(const QRectF& box, const QString& caption, Qt::Alignment alignment,
                                 ReportFont font)
{
    ReportItem item;
    item.kind = ItemKind::FixedText;
    item.box = box;
    item.text = caption;
    item.alignment = alignment;
    item.font = font;
    return item;
}

ReportItem ReportItem::namedText(const QString& name, const QRectF& box, Qt::Alignment alignment,
                                 ReportFont font, const QString& caption, DisplayFormat format)
{
    ReportItem item = fixedText(box, caption, alignment, font);
    item.name = name;
    item.format = format;
    return item;
}

ReportItem ReportItem::dataText(const QString& dataset, const QString& field, const QRectF& box,
                                Qt::Alignment alignment, DisplayFormat format, ReportFont font)
{
    ReportItem item;
    item.kind = ItemKind::DataText;
    item.box = box;
    item.dataset = dataset;
    item.field = field;
    item.alignment = alignment;
    item.format = format;
    item.font = font;
    return item;
}

ReportItem ReportItem::systemDate(const QRectF& box, Qt::Alignment alignment, ReportFont font)
{
    ReportItem item;
    item.kind = ItemKind::SystemDate;
    item.box = box;
    item.alignment = alignment;
    item.font = font;
    return item;
}

ReportItem ReportItem::pageNumber(const QRectF& box, Qt::Alignment alignment, const QString& pattern,
                                  ReportFont font)
{
    ReportItem item = fixedText(box, pattern, alignment, font);
    item.kind = ItemKind::PageNumber;
    return item;
}

ReportItem ReportItem::rectangle(const QRectF& box, const QColor& fill)
{
    ReportItem item;
    item.kind = ItemKind::Rectangle;
    item.box = box;
    item.fill = fill;
    return item;
}

ReportItem ReportItem::horizontalLine(const QRectF& box)
{
    ReportItem item;
    item.kind = ItemKind::HorizontalLine;
    item.box = box;
    return item;
}

ReportItem ReportItem::verticalLine(const QRectF& box)
{
    ReportItem item;
    item.kind = ItemKind::VerticalLine;
    item.box = box;
    return item;
}

ReportItem ReportItem::picture(const QRectF& box, const QImage& image)
{
    ReportItem item;
    item.kind = ItemKind::Image;
    item.box = box;
    item.image = image;
    return item;
}

ReportItem ReportItem::dataImage(const QString& dataset, const QString& field, const QRectF& box)
{
    ReportItem item;
    item.kind = ItemKind::DataImage;
    item.box = box;
    item.dataset = dataset;
    item.field = field;
    return item;
}

QSizeF ReportLayout::pageSize() const
{
    return orientation == QPageLayout::Landscape ? paper.transposed() : paper;
}

ReportBand& ReportLayout::addBand(BandKind kind, qreal height, BandRule rule)
{
    ReportBand band;
    band.kind = kind;
    band.height = height;
    band.rule = rule;
    bands.push_back(std::move(band));
    return bands.back();
}

const ReportBand* ReportLayout::band(BandKind kind) const
{
    for (const ReportBand& b : bands) {
        if (b.kind == kind)
            return &b;
    }
    return nullptr;
}
