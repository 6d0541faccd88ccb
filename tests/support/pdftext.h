#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

// Reading back what a print wrote: the poppler tools (pdftotext, pdfinfo, …)
// run on a PDF, and the words of its pages with their boxes.

// The standard output of `program` run with `args`; a failure is warned about
// and gives what the program wrote, if anything.
QString runTool(const QString& program, const QStringList& args);

struct PdfWord {
    QString text;
    QRectF mm;  // from the page's top left corner
    int page;   // from 1
};

// The words of every page in the order the extractor gives them. Pieces that
// touch on one line are one word: the extractor splits where the script
// changes ("顧客" "コード：").
QList<PdfWord> pdfWords(const QString& pdf);

// How `word` misses the box `left`, `top`, `width` (mm) it should print in:
// its top, and its left edge (`align` < 0), right edge (> 0) or centre (0),
// each within `tolerance`, and all of it inside the box. Empty when it fits.
QString boxMismatch(const PdfWord& word, qreal left, qreal top, qreal width, int align, qreal tolerance);
