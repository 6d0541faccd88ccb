#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <deque>

#include "reportdocument.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class TextLayerNotes;

// Every layout prints in one proportional Gothic face.
inline constexpr const char* ReportFontFamily = "IPAPGothic";

// The face at the given size and style, for measuring and drawing on any device.
QFont reportFont(const ReportFont& font);

// Draws pages on a painter whose device has its origin at the paper's top-left
// corner (a QPrinter set to full page, a QPdfWriter without margins). Millimetres
// become device pixels at the device's resolution; pen widths stay millimetres
// whatever the resolution, and text is measured on the device itself.
class ReportPainter {
public:
    ReportPainter(QPainter& painter, const QPaintDevice& device);
    void paintPage(const ReportPage& page);
    // Where the texts drawn are noted for the PDF's text layer; none by default.
    void setTextLayerNotes(TextLayerNotes* notes) { m_notes = notes; }

private:
    struct FontEntry {
        ReportFont spec;
        QFont font;
        QFontMetricsF metrics;
    };
    const FontEntry& fontFor(const ReportFont& spec);
    qreal px(qreal mm) const { return mm * m_dotsPerMm; }
    QRectF toDevice(const QRectF& mm) const;
    void paintText(const ReportOp& op);
    void paintLine(const ReportOp& op);
    void paintRectangle(const ReportOp& op);

    QPainter& m_painter;
    const QPaintDevice& m_device;
    qreal m_dotsPerMm;
    qreal m_dotsPerMmY;
    std::deque<FontEntry> m_fonts;  // stable addresses for m_current
    const FontEntry* m_current = nullptr;
    TextLayerNotes* m_notes = nullptr;
};

// Draws every page of `document` on `device`. Throws ReportError when the device
// cannot be drawn on (a PDF file that cannot be written, a printer that fails).
void paintDocument(const ReportDocument& document, QPagedPaintDevice& device,
                   TextLayerNotes* notes = nullptr);

// Writes `document` to a PDF file at `path`, with the faces embedded and a text
// layer that copies out as printed (a GetaMark as the character it stands for,
// where the document's marks all stand for one).
void writePdf(const ReportDocument& document, const QString& path);
