#pragma once

#include <QFrame>

#include "calculator.h"

class QLabel;

// The small calculator that drops down from a number field's calculator
// button. It starts from the field's value; the keys work as on a pocket
// calculator (digits, ".", + - * /, "=", Backspace, Delete clears). Enter or
// "OK" finishes the pending operation and hands the result back through
// accepted(); Escape or a click outside closes it without a value.
class CalculatorPopup : public QFrame {
    Q_OBJECT

public:
    explicit CalculatorPopup(Money start, QWidget* parent = nullptr);

    // Shows the popup under `anchor`, kept on the screen.
    void showBelow(QWidget* anchor);
    QString display() const;

signals:
    void accepted(Money value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void press(const QString& key);
    void finish();

    Calculator m_calculator;
    QLabel* m_display;
};
