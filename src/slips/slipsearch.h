#pragma once

#include <QDate>
#include <QString>

#include <optional>

#include "slipkind.h"

class Dataset;

// What the slip search dialogs compute: the saved slips of a kind, narrowed by
// partner and by a date range whose both ends are included. The partner code
// is bound as a parameter, so any code, a quote in it included, finds exactly
// that partner's slips; the "to" day is compared as "before the next day", so a
// slip stored with a time of day on that day is found.
namespace SlipSearch {

struct Filter {
    QString partnerCode;        // empty: every partner
    std::optional<QDate> from;  // both inclusive
    std::optional<QDate> to;
};

QString query(const SlipKind& kind, const Filter& filter);
// Closes `slips`, gives it the query and its parameters, opens it.
void run(Dataset& slips, const SlipKind& kind, const Filter& filter);

}  // namespace SlipSearch
