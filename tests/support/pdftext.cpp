#include "pdftext.h"

#include <QDebug>
#include <QProcess>
#include <QRegularExpression>

#include <cmath>

QString runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning() << program << "failed:" << p.readAllStandardError();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QList<PdfWord> pdfWords(const QString& pdf)
{
    static const QRegularExpression wordRx(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    constexpr qreal toMm = 25.4 / 72;
    QList<PdfWord> found;
    int page = 0;
    for (const QString& line : runTool("pdftotext", {"-bbox", pdf, "-"}).split(u'\n')) {
        if (line.contains(QStringLiteral("<page width=")))
            ++page;
        const auto m = wordRx.match(line);
        if (!m.hasMatch())
            continue;
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * toMm,
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()) * toMm);
        if (!found.isEmpty()) {
            PdfWord& last = found.last();
            if (last.page == page && std::abs(last.mm.top() - box.top()) < 0.01 &&
                std::abs(last.mm.right() - box.left()) < 0.01) {
                last.text += m.captured(5);
                last.mm.setRight(box.right());
                continue;
            }
        }
        found.append({m.captured(5), box, page});
    }
    return found;
}

QString boxMismatch(const PdfWord& w, qreal left, qreal top, qreal width, int align, qreal tolerance)
{
    if (std::abs(w.mm.top() - top) >= tolerance)
        return QStringLiteral("%1: top %2").arg(w.text).arg(w.mm.top());
    const qreal edge = align < 0 ? w.mm.left() : align > 0 ? w.mm.right() : w.mm.center().x();
    const qreal wanted = align < 0 ? left : align > 0 ? left + width : left + width / 2;
    if (std::abs(edge - wanted) >= tolerance)
        return QStringLiteral("%1: at %2, not %3").arg(w.text).arg(edge).arg(wanted);
    if (w.mm.left() < left - tolerance || w.mm.right() > left + width + tolerance)
        return QStringLiteral("%1: %2–%3 outside its box").arg(w.text).arg(w.mm.left()).arg(w.mm.right());
    return {};
}
