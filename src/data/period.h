#pragma once

#include <QDate>
#include <QString>

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

    QDate dayAfterTo() const { return to.addDays(1); }
    // "yyyy/mm/dd", what the print layouts show.
    QString fromText() const { return Formats::displayDate(from); }
    QString toText() const { return Formats::displayDate(to); }
};
