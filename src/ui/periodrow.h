#pragma once

#include <QDate>
#include <QHBoxLayout>

struct Period;
class DatePicker;

// The period row of a document window: "期間", the first-day picker, "～" and
// the last-day picker (JvDatePickerEditFrom, JvDatePickerEditTo); the window
// adds its own controls after them. The computation orders the two dates; the
// row shows the period it used, so exchanged dates are put back in order.
class PeriodRow : public QHBoxLayout {
public:
    PeriodRow();

    DatePicker* const from;
    DatePicker* const to;

    // The first and the last day of the month of `day`.
    void setMonthOf(const QDate& day);
    // Shows `period` in the pickers, the earlier date first.
    void show(const Period& period);
};
