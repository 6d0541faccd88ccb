#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include "formats.h"

// The period of a document: a first and a last day, both included. Queries take
// it as ">= first day" and "< day after the last day", so a slip dated on the
// last day with a time of day is in it and one on the next day is not.
struct Period {
    QDate from;
    QDate to;
    bool exchanged = false;  // the two dates came in the wrong order and were swapped

    // The earlier of the two dates first; a window puts the result back into its
    // pickers when `exchanged` is set.
    static Period ordered(const QDate& first, const QDate& last)
    {
        if (last < first)
            return {last, first, true};
        return {first, last, false};
    }

    // The day after the last (for the last day a book holds, a day it cannot hold).
    QDate dayAfterTo() const { return to.addDays(1); }
    // The end of the half-open period as a query binds it ("< :DateTo"): the
    // day after the last.
    QVariant endBound() const { return exclusiveEnd(to.addDays(1)); }
    // `dayAfter` as the end of a half-open period. After 9999-12-31 comes no
    // day a book holds (a stored date has a four-digit year): the text
    // "9999-12-32" stands for it, which sorts after every stored date and time.
    static QVariant exclusiveEnd(const QDate& dayAfter)
    {
        if (dayAfter.isValid() && dayAfter.year() > 9999)
            return QStringLiteral("9999-12-32");
        return dayAfter;
    }
    // Whether the period runs to the last day a book holds.
    bool endsAtLastDay() const { return to.isValid() && to.addDays(1).year() > 9999; }
    // "yyyy/mm/dd", what the print layouts show.
    QString fromText() const { return Formats::displayDate(from); }
    QString toText() const { return Formats::displayDate(to); }
};
