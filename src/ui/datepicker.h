#pragma once

#include <QDateEdit>

// A date field with a drop-down calendar, shown "yyyy/MM/dd". It always holds a
// date: the period pickers of the documents (from/to) are of this kind. The
// calendar opens from the button or with Alt+Down (or F4); typing the digits
// moves from the year to the month to the day by itself ("/" and the arrow keys
// move between them too), and Tab leaves the field as in any other field. The
// mouse wheel changes the date only while the field has the focus.
class DatePicker : public QDateEdit {
    Q_OBJECT

public:
    explicit DatePicker(QWidget* parent = nullptr);

    void openCalendar();

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};
