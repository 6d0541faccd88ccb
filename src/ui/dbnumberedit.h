#pragma once

#include <QLineEdit>

class Dataset;
class FieldLink;

// A right-aligned number field (a postal code is left-aligned) bound to a money, quantity or whole-number
// column. Away from the focus it shows the display format ("¥1,234",
// "¥1,234.5", "1,234.00"); while typing, the plain number ("1234.5"). Digits
// may be typed half- or full-width, with or without separators and yen sign. The
// number is stored when the field is left or Enter is pressed; an empty field
// stores null. Text that is not a number (or has too many decimals, or is out of
// range) is refused with a message saying so, and the old value comes back.
// Escape puts the stored value back. Where asked, a calculator button (and
// Alt+Down / F4) opens a calculator whose result goes into the field as typed.
class DbNumberEdit : public QLineEdit {
    Q_OBJECT

public:
    enum class Kind {
        Money,       // amounts: "¥1,234"
        Price,       // item prices: "¥1,234.5"
        Quantity,    // "1,234.00"
        Integer,     // whole numbers shown without separators
        PostalCode,  // seven digits, leading zeros kept ("0600001"), left-aligned like text;
                     // typed also as "060-0001"
    };

    explicit DbNumberEdit(Kind kind = Kind::Money, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    // Whole numbers only: the range a typed number must lie in.
    void setRange(qint64 minimum, qint64 maximum);
    void setCalculatorButton(bool shown);
    bool hasCalculatorButton() const { return m_calculator != nullptr; }

    void bind(Dataset& dataset, const QString& field);
    FieldLink& link() const { return *m_link; }

    // The number in the field as it would be stored: null when empty, Money or
    // a whole number (qlonglong) by kind. Throws std::invalid_argument with a
    // message for the user when the text is not such a number.
    QVariant value() const;

    void openCalculator();

signals:
    // The focus left the field, after the number was stored (see DbEdit::exited).
    void exited();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void render();
    QString displayText(const QVariant& stored, bool forTyping) const;

    Kind m_kind;
    FieldLink* m_link;
    QVariant m_stored;  // the field's value as last shown
    qint64 m_minimum = 0;
    qint64 m_maximum = 0;
    bool m_ranged = false;
    bool m_rendering = false;
    bool m_guarded = false;
    QAction* m_calculator = nullptr;
};
