#include "reportfit.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <deque>

#include "reportpainter.h"

namespace {

constexpr qreal Tolerance = 1e-6;  // mm; a text exactly as wide as its box fits
constexpr qreal DotsPerMm = ReportPdfResolution / 25.4;

}  // namespace

struct TextFitter::Impl {
    struct Entry {
        ReportFont spec;
        QFontMetricsF metrics;
    };
    QImage device;
    std::deque<Entry> fonts;

    Impl() : device(1, 1, QImage::Format_RGB32)
    {
        const int dotsPerMeter = qRound(DotsPerMm * 1000);
        device.setDotsPerMeterX(dotsPerMeter);
        device.setDotsPerMeterY(dotsPerMeter);
    }

    const QFontMetricsF& metrics(const ReportFont& spec)
    {
        for (const Entry& entry : fonts) {
            if (entry.spec == spec)
                return entry.metrics;
        }
        const QFont font(reportFont(spec), &device);
        fonts.push_back({spec, QFontMetricsF(font, &device)});
        return fonts.back().metrics;
    }
};

TextFitter::TextFitter() : d(std::make_unique<Impl>()) {}

TextFitter::~TextFitter() = default;

qreal TextFitter::width(const QString& text, const ReportFont& font)
{
    return d->metrics(font).horizontalAdvance(text) / DotsPerMm;
}

qreal TextFitter::ascent(const ReportFont& font)
{
    return d->metrics(font).ascent() / DotsPerMm;
}

FittedText TextFitter::fit(const QString& text, const ReportFont& font, qreal boxWidth, FitRule rule)
{
    const qreal smallest =
        std::min(font.pointSize, rule == FitRule::Figure ? MinFigurePointSize : MinTextPointSize);
    // The sizes tried, largest first: the font's own, then down in steps to the smallest.
    std::vector<qreal> sizes;
    for (qreal size = font.pointSize; size > smallest + Tolerance; size -= FitPointStep)
        sizes.push_back(size);
    sizes.push_back(smallest);

    ReportFont sized = font;
    const auto fits = [&](const QString& candidate, qreal size) {
        sized.pointSize = size;
        return width(candidate, sized) <= boxWidth + Tolerance;
    };
    for (qreal size : sizes) {
        if (fits(text, size))
            return {text, size, false};
    }

    if (rule == FitRule::Figure) {
        // As many marks as the box holds, at the largest size that holds one.
        for (qreal size : sizes) {
            QString marks;
            while (fits(marks + OverflowMark, size))
                marks += OverflowMark;
            if (!marks.isEmpty())
                return {marks, size, true};
        }
        return {QString(QChar(OverflowMark)), smallest, true};
    }

    // The longest run of whole characters (grapheme clusters) that fits with the ellipsis.
    std::vector<qsizetype> cuts;
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = boundaries.toNextBoundary(); at > 0; at = boundaries.toNextBoundary())
        cuts.push_back(at);
    const auto elided = [&](qsizetype cut) {
        QString head = text.left(cut);
        while (!head.isEmpty() && head.back().isSpace())
            head.chop(1);
        return head + Ellipsis;
    };
    // Widths grow with the cut: find the first cut that no longer fits.
    const auto tooLong = std::partition_point(cuts.begin(), cuts.end(),
                                              [&](qsizetype cut) { return fits(elided(cut), smallest); });
    if (tooLong != cuts.begin())
        return {elided(*std::prev(tooLong)), smallest, false};
    const QString alone(QChar{Ellipsis});
    return {fits(alone, smallest) ? alone : QString(), smallest, false};
}
