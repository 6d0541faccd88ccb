#pragma once

#include <QColor>
#include <QImage>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

#include "reportlayout.h"

// What the paginator produces and the painter draws: per page, a list of drawing
// operations in millimetres from the paper's top-left corner.

struct ReportOp {
    enum class Kind { Text, Rectangle, Line, Image };
    Kind kind = Kind::Text;
    // A line runs from box.topLeft() to box.bottomRight().
    QRectF box;
    QString text;
    Qt::Alignment alignment = Qt::AlignLeft;
    ReportFont font;
    bool wordWrap = false;
    // Of a one-line text: where its baseline lies below the box's top, in mm. A
    // text printed smaller than its item's size keeps the item's baseline.
    qreal baseline = 0;
    QColor background;         // behind a text; invalid or transparent for none
    QColor color = Qt::black;  // of a text
    QColor fill;               // of a rectangle
    qreal penWidth = 0;        // mm, lines and outlines
    QImage image;
    // The item's name, or the field of a data item: how tools and tests find an op.
    QString tag;
};

// Where a band landed: its kind, its top on the page in mm, and the row of the
// driving dataset (and of a sub-detail's dataset) it printed, -1 where none.
struct PlacedBand {
    BandKind kind = BandKind::Detail;
    qreal top = 0;
    qreal height = 0;
    int row = -1;
    int subRow = -1;
};

struct ReportPage {
    int columnGroup = 0;  // of a layout printed in column groups, from 0
    std::vector<PlacedBand> bands;
    std::vector<ReportOp> ops;
};

// A figure that did not fit its box even at the smallest size: the paper shows
// the overflow mark in its place.
struct ReportOverflow {
    int page = 0;  // from 0
    int row = -1;  // of the driving dataset, -1 where none
    int subRow = -1;
    QString tag;   // as the op's
    QString text;  // what did not fit
};

struct ReportDocument {
    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF paper{210, 297};  // portrait mm
    std::vector<ReportPage> pages;
    std::vector<ReportOverflow> overflows;
    // What the GetaMarks in the texts stand for, each once: the characters no
    // installed face draws, and GetaMark itself where a text holds one.
    std::vector<char32_t> markedCharacters;

    QSizeF pageSize() const { return orientation == QPageLayout::Landscape ? paper.transposed() : paper; }
    // The device set-up the document is drawn for: no margins, origin at the paper's corner.
    QPageLayout pageLayout() const;
};
