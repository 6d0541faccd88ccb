#pragma once

#include <QString>

#include <functional>

#include "money.h"

// The arithmetic behind the calculator popup of the number fields: a pocket
// calculator working on Money (four decimals), evaluating left to right as it
// goes (2 + 3 × 4 = 20). Division rounds to four decimals, halves away from
// zero, like Money's product. Dividing by zero or leaving Money's range shows
// "E" until cleared.
class Calculator {
public:
    enum class Op { None, Add, Subtract, Multiply, Divide };

    Calculator() = default;
    explicit Calculator(Money start) : m_result(start) {}

    void digit(int d);  // 0 … 9
    void point();
    void backspace();
    void negate();
    void operation(Op op);
    void equals();
    void clear();

    QString display() const;
    bool hasError() const { return m_error; }
    // The number on the display.
    Money value() const;

    static Money divide(Money dividend, Money divisor);  // throws std::domain_error or MoneyOverflow

private:
    Money compute(Money left, Op op, Money right) const;
    void setResult(const std::function<Money()>& compute);

    QString m_entry;  // the number being typed; empty while a result is shown
    Money m_result;   // the result shown, and the left operand of the pending operation
    Op m_pending = Op::None;
    bool m_error = false;
};
