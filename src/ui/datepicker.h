#pragma once

#include <QDateEdit>

#include <functional>

// A date field with a drop-down calendar, shown "yyyy/MM/dd". It always holds a
// date: the period pickers of the documents (from/to) are of this kind. The
// calendar opens from the button or with Alt+Down (or F4). Entering the field
// selects its whole text. A date is typed as a whole, half- or full-width:
// "20261120", "2026/11/20", "2026-11-20" or "11/20" (this year); it is taken
// when the field is left or Enter is pressed, and a text that is no date is
// refused with a message, the old date kept. Escape drops what was typed. The
// arrow keys step the day, month or year under the cursor; Tab leaves the field
// as in any other field. The mouse wheel changes the date only while the field
// has the focus.
class DatePicker : public QDateEdit {
    Q_OBJECT

public:
    explicit DatePicker(QWidget* parent = nullptr);

    void openCalendar();

    // A date is being typed and not taken yet.
    bool isTyping() const { return m_typing; }
    // The date the field would take now: the typed one while typing (an
    // invalid QDate for an empty text), else date(). Throws
    // std::invalid_argument with a message for the user when the typed text is
    // no date.
    QDate inputDate() const;
    // Takes the typed date, or refuses it with a message and shows the old date
    // again. True when nothing was typed or the date was taken.
    virtual bool finishTyping();

protected:
    // Drops what was typed and shows date() again.
    void endTyping();
    // The first key of a typed date: a field bound to data marks its change here.
    virtual void typingStarted() {}

    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    void startTyping();
    void typeIntoEdit(const std::function<void()>& edit);

    bool m_typing = false;
};
