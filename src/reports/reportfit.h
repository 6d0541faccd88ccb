#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "reportlayout.h"

// How a one-line text wider than its box is made to fit. The box, its alignment
// and the band never move; only the size and, as a last resort, the text change.
enum class FitRule {
    // Amounts, quantities, numbers, dates: whole at a smaller size, or the
    // overflow mark. A figure is never printed as a part of itself.
    Figure,
    // Names, items, captions: smaller, then cut at a whole character with "…".
    Text,
};

// The rule of a text by the kind of its value, wherever it stands (a line, a
// group or total row, a heading): every format but Text is a figure.
inline FitRule fitRuleOf(DisplayFormat format, bool whole = false)
{
    return whole || format != DisplayFormat::Text ? FitRule::Figure : FitRule::Text;
}

inline constexpr qreal MinFigurePointSize = 6;
inline constexpr qreal MinTextPointSize = 7;
inline constexpr qreal FitPointStep = 0.5;
// What a figure that does not fit even at the smallest size prints, repeated across its box.
inline constexpr char16_t OverflowMark = u'＊';
inline constexpr char16_t Ellipsis = u'…';

// PDF files are written at this resolution; texts are measured at it.
inline constexpr int ReportPdfResolution = 1200;

struct FittedText {
    QString text;
    qreal pointSize = 0;
    bool overflow = false;  // the text is the overflow mark
};

// A text wrapped over the lines of its box.
struct WrappedText {
    QStringList lines;
    qreal pointSize = 0;
    qreal lineHeight = 0;  // mm
    bool cut = false;      // the last line ends in "…"
};

// Measures texts in the print face as the painter draws them: millimetres at
// the PDF resolution, unhinted, so what fits here fits on paper.
class TextFitter {
public:
    TextFitter();
    ~TextFitter();
    TextFitter(const TextFitter&) = delete;
    TextFitter& operator=(const TextFitter&) = delete;

    qreal width(const QString& text, const ReportFont& font);  // mm
    qreal ascent(const ReportFont& font);                      // mm
    // At the font's own size when it fits; else at the largest size, in steps
    // of FitPointStep down to the rule's smallest, that fits.
    FittedText fit(const QString& text, const ReportFont& font, qreal boxWidth, FitRule rule);
    // A text over as many lines as its box holds (an address): broken between
    // whole characters, preferably after a space or a part of an address (都道府県,
    // 市区町村, 番地), at the font's size or smaller in steps down to
    // MinTextPointSize; what does not fit even then ends in "…".
    WrappedText wrap(const QString& text, const ReportFont& font, const QSizeF& box);
    qreal lineHeight(const ReportFont& font);  // mm
    // The text with GetaMark for each character neither the print face nor a
    // face it falls back to draws; what each mark stands for is added to
    // `marked` (once), as is a GetaMark the text holds itself.
    QString printable(const QString& text, const ReportFont& font, std::vector<char32_t>& marked);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
