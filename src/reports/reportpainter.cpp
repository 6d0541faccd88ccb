#include "reportpainter.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "pdftextlayer.h"
#include "report.h"
#include "reportfit.h"

QFont reportFont(const ReportFont& spec)
{
    QFont font(QString::fromLatin1(ReportFontFamily));
    font.setPointSizeF(spec.pointSize);
    font.setBold(spec.bold);
    font.setUnderline(spec.underline);
    // Print metrics, not screen hinting: positions must hold at any resolution.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

ReportPainter::ReportPainter(QPainter& painter, const QPaintDevice& device)
    : m_painter(painter),
      m_device(device),
      m_dotsPerMm(device.logicalDpiX() / 25.4),
      m_dotsPerMmY(device.logicalDpiY() / 25.4)
{
    // Pictures as their pixels: a PDF keeps them compressed without loss
    // (Flate), never as JPEG.
    m_painter.setRenderHint(QPainter::LosslessImageRendering);
}

QRectF ReportPainter::toDevice(const QRectF& mm) const
{
    return QRectF(mm.left() * m_dotsPerMm, mm.top() * m_dotsPerMmY, mm.width() * m_dotsPerMm,
                  mm.height() * m_dotsPerMmY);
}

const ReportPainter::FontEntry& ReportPainter::fontFor(const ReportFont& spec)
{
    for (const FontEntry& entry : m_fonts) {
        if (entry.spec == spec)
            return entry;
    }
    QFont font(reportFont(spec), &m_device);
    m_fonts.push_back({spec, font, QFontMetricsF(font, &m_device)});
    return m_fonts.back();
}

void ReportPainter::paintPage(const ReportPage& page)
{
    for (const ReportOp& op : page.ops) {
        switch (op.kind) {
            case ReportOp::Kind::Text:
                paintText(op);
                break;
            case ReportOp::Kind::Line:
                paintLine(op);
                break;
            case ReportOp::Kind::Rectangle:
                paintRectangle(op);
                break;
            case ReportOp::Kind::Image:
                if (!op.image.isNull())
                    m_painter.drawImage(toDevice(op.box), op.image);
                break;
        }
    }
}

void ReportPainter::paintText(const ReportOp& op)
{
    const QRectF box = toDevice(op.box);
    if (op.background.isValid() && op.background.alpha() > 0)
        m_painter.fillRect(box, op.background);
    if (op.text.isEmpty())
        return;
    const FontEntry& entry = fontFor(op.font);
    if (m_current != &entry) {
        m_painter.setFont(entry.font);
        m_current = &entry;
    }
    m_painter.setPen(op.color.isValid() ? op.color : QColor(Qt::black));
    if (m_notes)
        m_notes->noteText(op.text, entry.font, m_device);
    if (op.wordWrap) {
        m_painter.drawText(box, int(op.alignment | Qt::AlignTop | Qt::TextWordWrap), op.text);
        return;
    }
    // One line on the baseline the paginator chose (by default the top of the
    // text at the box's top), placed across by the device's own metrics.
    const qreal width = entry.metrics.horizontalAdvance(op.text);
    qreal x = box.left();
    if (op.alignment & Qt::AlignRight)
        x = box.right() - width;
    else if (op.alignment & Qt::AlignHCenter)
        x = box.left() + (box.width() - width) / 2;
    const qreal ascent = op.baseline > 0 ? op.baseline * m_dotsPerMmY : entry.metrics.ascent();
    const QPointF baseline(x, box.top() + ascent);
    // The paginator fitted the text at the PDF resolution; another device may
    // round a glyph's advance differently by a hair.
    if (width > box.width() + px(0.02)) {
        // What still does not fit in the box is cut off at its edges.
        m_painter.save();
        m_painter.setClipRect(box);
        m_painter.drawText(baseline, op.text);
        m_painter.restore();
        m_current = nullptr;
        return;
    }
    m_painter.drawText(baseline, op.text);
}

void ReportPainter::paintLine(const ReportOp& op)
{
    QPen pen(Qt::black, px(op.penWidth), Qt::SolidLine, Qt::FlatCap);
    m_painter.setPen(pen);
    const QRectF line = toDevice(op.box);
    m_painter.drawLine(line.topLeft(), line.bottomRight());
}

void ReportPainter::paintRectangle(const ReportOp& op)
{
    QPen pen(Qt::black, px(op.penWidth), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(op.fill.isValid() ? QBrush(op.fill) : QBrush(Qt::NoBrush));
    m_painter.drawRect(toDevice(op.box));
    m_painter.setBrush(Qt::NoBrush);
}

void paintDocument(const ReportDocument& document, QPagedPaintDevice& device, TextLayerNotes* notes)
{
    device.setPageLayout(document.pageLayout());
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(QStringLiteral("「%1」を出力できません。").arg(document.title));
    ReportPainter pages(painter, device);
    pages.setTextLayerNotes(notes);
    for (size_t i = 0; i < document.pages.size(); ++i) {
        if (i > 0 && !device.newPage())
            throw ReportError(QStringLiteral("「%1」の改ページに失敗しました。").arg(document.title));
        pages.paintPage(document.pages[i]);
    }
    if (!painter.end())
        throw ReportError(QStringLiteral("「%1」を出力できません。").arg(document.title));
}

namespace {

// Qt writes an embedded face's ToUnicode map from each glyph back to the lowest
// code point that reaches it. Two glyphs of the print face are reached from more
// than one: the space (Qt draws a tab with it too) and the wave dash, which the
// face shares with the full-width tilde. Copied text would read a tab for every
// space and "〜" for "～". Those destinations are rewritten in place, at the same
// length, so no offset in the file moves.
void correctTextLayer(QByteArray& pdf)
{
    static const std::pair<QByteArray, QByteArray> preferred[] = {
        {"<0009>", "<0020>"},
        {"<301C>", "<FF5E>"},
    };
    const auto rewrite = [&](qsizetype from, qsizetype to) {
        for (qsizetype at = pdf.indexOf('<', from); at >= 0 && at + 6 <= to; at = pdf.indexOf('<', at + 1)) {
            const QByteArray code = pdf.mid(at, 6).toUpper();
            for (const auto& [lowest, wanted] : preferred) {
                if (code == lowest)
                    pdf.replace(at, 6, wanted);
            }
        }
    };
    // Each line of a bfrange section maps codes "<first> <last>" either to an
    // array of destinations, one per code, or to one destination: the first of
    // a consecutive run when last > first, which is left as it is.
    for (qsizetype section = pdf.indexOf("beginbfrange\n"); section >= 0;
         section = pdf.indexOf("beginbfrange\n", section + 1)) {
        const qsizetype end = pdf.indexOf("endbfrange", section);
        if (end < 0)
            return;
        for (qsizetype line = pdf.indexOf('\n', section) + 1; line > 0 && line < end;) {
            qsizetype eol = pdf.indexOf('\n', line);
            if (eol < 0 || eol > end)
                eol = end;
            const QList<QByteArray> parts = pdf.mid(line, eol - line).simplified().split(' ');
            const qsizetype destinations = pdf.indexOf('>', pdf.indexOf('>', line) + 1) + 1;
            if (parts.size() >= 3 && destinations > 0 && destinations < eol &&
                (parts[2].startsWith('[') || parts[0].toUpper() == parts[1].toUpper()))
                rewrite(destinations, eol);
            line = eol + 1;
        }
    }
}

}  // namespace

void writePdf(const ReportDocument& document, const QString& path)
{
    const QString failed = QStringLiteral("PDFファイル %1 を書き込めません。").arg(path);
    QByteArray pdf;
    TextLayerNotes notes;
    if (document.markedCharacters.size() == 1 && document.markedCharacters.front() != GetaMark)
        notes.setMarkStandsFor(document.markedCharacters.front());
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Corvinta"));
        writer.setResolution(ReportPdfResolution);
        try {
            paintDocument(document, writer, &notes);
        } catch (const ReportError&) {
            throw ReportError(failed);
        }
    }
    correctTextLayer(pdf);
    completeTextLayer(pdf, notes);
    QSaveFile file(path);
    file.setDirectWriteFallback(true);  // an existing file in a folder that takes no new files
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        throw ReportError(failed);
}
