#pragma once

#include <QString>

#include <memory>

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

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
