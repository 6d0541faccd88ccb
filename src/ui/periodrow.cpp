#include "periodrow.h"

#include <QLabel>

#include "datepicker.h"
#include "period.h"

PeriodRow::PeriodRow() : from(new DatePicker), to(new DatePicker)
{
    from->setObjectName(QStringLiteral("JvDatePickerEditFrom"));
    to->setObjectName(QStringLiteral("JvDatePickerEditTo"));
    addWidget(new QLabel(QStringLiteral("期間")));
    addWidget(from);
    addWidget(new QLabel(QStringLiteral("～")));
    addWidget(to);
}

void PeriodRow::setMonthOf(const QDate& day)
{
    const QDate first(day.year(), day.month(), 1);
    from->setDate(first);
    to->setDate(first.addMonths(1).addDays(-1));
}

void PeriodRow::show(const Period& period)
{
    from->setDate(period.from);
    to->setDate(period.to);
}
