#pragma once

#include "datepicker.h"

class Dataset;
class FieldLink;

// A date field bound to a date column (the sales date of a slip). A null date
// shows as an empty field; entering such a field offers today's date to start
// from, which is taken only when the user types into it, steps it, picks a day
// in the calendar or presses Enter; leaving the field otherwise keeps it empty. The
// date is stored when the field is left or Enter is pressed; Escape puts the
// stored date back. A date is typed as a whole (see DatePicker); an empty typed
// text stores no date.
class DbDateEdit : public DatePicker {
    Q_OBJECT

public:
    explicit DbDateEdit(QWidget* parent = nullptr);

    void bind(Dataset& dataset, const QString& field);
    FieldLink& link() const { return *m_link; }

    // The date shown; an invalid date when the field is empty.
    QDate value() const;

    bool finishTyping() override;

signals:
    // The focus left the field, after the date was stored (see DbEdit::exited).
    void exited();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void typingStarted() override;

private:
    void showDate(const QDate& date);
    void onDateChanged();
    void takeOffer();

    FieldLink* m_link;
    bool m_offered = false;  // today's date offered in an empty field, not chosen yet
    bool m_placing = false;
    bool m_guarded = false;
};
