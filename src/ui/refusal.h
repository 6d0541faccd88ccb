#pragma once

#include <QString>

class DbError;
class QWidget;

// What the database refused, in the words of the window: a value too long, a
// duplicate code, a missing value or reference, a value out of range. The field
// is named as `window` labels it (a label's buddy bound to the column, or a grid
// column's title), else by the column's own name. Empty when the error is not
// such a refusal (also for a refusal that brings its own words, as a trigger's).
QString explainRefusal(const DbError& error, const QWidget* window);

// The label `window` shows for a dataset column; empty when it shows none.
QString fieldLabel(const QWidget* window, const QString& column);

// The engine's own text of the refusal last explained under `text`, taken once:
// the message boxes put it in their details.
QString takeRefusalDetails(const QString& text);
