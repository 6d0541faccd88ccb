#include "reportfit.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <deque>

#include "pdftextlayer.h"
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

qreal TextFitter::lineHeight(const ReportFont& font)
{
    return d->metrics(font).height() / DotsPerMm;
}

namespace {

// Characters that print nothing of their own: spaces, controls, joiners and
// variation selectors. No face needs them.
bool printsNothing(char32_t code)
{
    const QChar::Category category = QChar::category(code);
    return QChar::isSpace(code) || category == QChar::Other_Control || category == QChar::Other_Format ||
           (code >= 0xFE00 && code <= 0xFE0F) || (code >= 0xE0100 && code <= 0xE01EF);
}

}  // namespace

QString TextFitter::printable(const QString& text, const ReportFont& font, std::vector<char32_t>& marked)
{
    const QFontMetricsF& metrics = d->metrics(font);
    const auto note = [&](char32_t code) {
        if (std::find(marked.begin(), marked.end(), code) == marked.end())
            marked.push_back(code);
    };
    QString printed;
    bool changed = false;
    for (qsizetype from = 0, next = 0; from < text.size(); from = next) {
        char32_t code = text.at(from).unicode();
        next = from + 1;
        if (text.at(from).isHighSurrogate() && next < text.size() && text.at(next).isLowSurrogate())
            code = QChar::surrogateToUcs4(text.at(from), text.at(next++));
        const bool broken = QChar::isSurrogate(code);  // half of a pair: U+FFFD stands for it
        if (broken)
            code = QChar::ReplacementCharacter;
        const bool drawn = !broken && (code < 0x80 || printsNothing(code) || metrics.inFontUcs4(code));
        if (code == GetaMark || !drawn)
            note(code);
        if (!drawn && !changed) {
            printed = text.left(from);
            changed = true;
        }
        if (changed)
            printed += drawn ? text.mid(from, next - from) : QString(GetaMark);
    }
    return changed ? printed : text;
}

namespace {

// The ends of the text's grapheme clusters, in order.
std::vector<qsizetype> graphemeEnds(const QString& text)
{
    std::vector<qsizetype> ends;
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = boundaries.toNextBoundary(); at > 0; at = boundaries.toNextBoundary())
        ends.push_back(at);
    return ends;
}

QString trimmedEnd(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// After a space, or after the part of an address that names a prefecture,
// city, ward, town or village, or a lot number.
bool breaksWell(const QString& text, qsizetype at)
{
    if (at <= 0 || at >= text.size())
        return false;
    static const QString parts = QStringLiteral("都道府県市区町村");
    const QChar before = text[at - 1];
    return (before.isSpace() && !text[at].isSpace()) || parts.contains(before) ||
           (at >= 2 && text.mid(at - 2, 2) == QStringLiteral("番地"));
}

}  // namespace

WrappedText TextFitter::wrap(const QString& text, const ReportFont& font, const QSizeF& box)
{
    const std::vector<qsizetype> ends = graphemeEnds(text);
    ReportFont sized = font;
    const auto fits = [&](const QString& candidate) {
        return width(candidate, sized) <= box.width() + Tolerance;
    };
    // The lines as [start, end) ranges: each the longest run of whole characters
    // that fits, or with `well`, ended at the last good break in its second half.
    const auto breakLines = [&](bool well) {
        std::vector<std::pair<qsizetype, qsizetype>> lines;
        qsizetype start = 0;
        while (true) {
            while (start < text.size() && text[start].isSpace())
                ++start;
            if (start >= text.size())
                break;
            const auto first = std::upper_bound(ends.begin(), ends.end(), start);
            const auto beyond = std::partition_point(first, ends.end(), [&](qsizetype end) {
                return fits(trimmedEnd(text.mid(start, end - start)));
            });
            // One character at least, fitting or not.
            auto chosen = beyond == first ? first : std::prev(beyond);
            const qsizetype longest = *chosen - start;
            if (well && *chosen < text.size()) {
                for (auto at = chosen; 2 * (*at - start) >= longest; --at) {
                    if (breaksWell(text, *at)) {
                        chosen = at;
                        break;
                    }
                    if (at == first)
                        break;
                }
            }
            lines.emplace_back(start, *chosen);
            start = *chosen;
        }
        return lines;
    };
    const qreal smallest = std::min(font.pointSize, MinTextPointSize);
    std::vector<qreal> sizes;
    for (qreal size = font.pointSize; size > smallest + Tolerance; size -= FitPointStep)
        sizes.push_back(size);
    sizes.push_back(smallest);

    WrappedText out;
    for (qreal size : sizes) {
        sized.pointSize = size;
        const qreal height = lineHeight(sized);
        const qsizetype room = std::max<qsizetype>(1, qsizetype((box.height() + Tolerance) / height));
        for (bool well : {true, false}) {
            const auto lines = breakLines(well);
            bool whole = qsizetype(lines.size()) <= room;
            for (const auto& [from, to] : lines)
                whole = whole && fits(trimmedEnd(text.mid(from, to - from)));
            if (!whole)
                continue;
            out.pointSize = size;
            out.lineHeight = height;
            for (const auto& [from, to] : lines)
                out.lines << trimmedEnd(text.mid(from, to - from));
            return out;
        }
        if (size != sizes.back())
            continue;
        // At the smallest size: the lines the box holds, the last one ending in "…".
        const auto lines = breakLines(false);
        const size_t kept = size_t(std::min<qsizetype>(room, qsizetype(lines.size())));
        out.pointSize = size;
        out.lineHeight = height;
        for (size_t i = 0; i + 1 < kept; ++i)
            out.lines << trimmedEnd(text.mid(lines[i].first, lines[i].second - lines[i].first));
        const FittedText last = fit(text.mid(lines[kept - 1].first), sized, box.width(), FitRule::Text);
        out.lines << last.text;
        out.cut = last.text.endsWith(Ellipsis);
    }
    return out;
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
