#include "calculator.h"

#include <functional>
#include <stdexcept>

void Calculator::digit(int d)
{
    if (m_error || d < 0 || d > 9)
        return;
    const QString next = (m_entry == u"0" || m_entry == u"-0") ? m_entry.chopped(1) + QString::number(d)
                                                               : m_entry + QString::number(d);
    try {
        Money::parse(next);  // too many decimals or too large: the digit is not taken
        m_entry = next;
    } catch (const std::invalid_argument&) {
    }
}

void Calculator::point()
{
    if (m_error || m_entry.contains(u'.'))
        return;
    m_entry += m_entry.isEmpty() || m_entry == u"-" ? QStringLiteral("0.") : QStringLiteral(".");
}

void Calculator::backspace()
{
    if (!m_error && !m_entry.isEmpty())
        m_entry.chop(1);
}

void Calculator::negate()
{
    if (m_error)
        return;
    if (!m_entry.isEmpty())
        m_entry = m_entry.startsWith(u'-') ? m_entry.mid(1) : u'-' + m_entry;
    else
        setResult([this] { return -m_result; });
}

void Calculator::operation(Op op)
{
    if (m_error)
        return;
    if (!m_entry.isEmpty()) {
        const Money right = value();
        m_entry.clear();
        if (m_pending == Op::None)
            m_result = right;
        else
            setResult([&] { return compute(m_result, m_pending, right); });
    }
    // An operator pressed twice replaces the first.
    m_pending = op;
}

void Calculator::equals()
{
    if (m_error)
        return;
    const Money right = value();
    m_entry.clear();
    if (m_pending == Op::None) {
        m_result = right;
        return;
    }
    const Op op = m_pending;
    m_pending = Op::None;
    setResult([&] { return compute(m_result, op, right); });
}

void Calculator::clear()
{
    *this = Calculator();
}

QString Calculator::display() const
{
    if (m_error)
        return QStringLiteral("E");
    if (!m_entry.isEmpty())
        return m_entry;
    return m_result.toPlainText();
}

Money Calculator::value() const
{
    if (m_entry.isEmpty() || m_entry == u"-")
        return m_entry.isEmpty() ? m_result : Money();
    return Money::parse(m_entry);
}

void Calculator::setResult(const std::function<Money()>& compute)
{
    try {
        m_result = compute();
    } catch (const std::exception&) {
        m_error = true;
        m_pending = Op::None;
    }
}

Money Calculator::compute(Money left, Op op, Money right) const
{
    switch (op) {
        case Op::Add:
            return left + right;
        case Op::Subtract:
            return left - right;
        case Op::Multiply:
            return left * right;
        case Op::Divide:
            return divide(left, right);
        case Op::None:
            break;
    }
    return right;
}

Money Calculator::divide(Money dividend, Money divisor)
{
    if (divisor.isZero())
        throw std::domain_error("division by zero");
    const __int128 n = __int128(dividend.raw()) * Money::Scale;
    const __int128 d = divisor.raw();
    __int128 q = n / d;
    const __int128 r = n % d;
    const __int128 absR = r < 0 ? -r : r;
    const __int128 absD = d < 0 ? -d : d;
    if (2 * absR >= absD)
        q += ((n < 0) != (d < 0)) ? -1 : 1;
    if (q > INT64_MAX || q < INT64_MIN)
        throw MoneyOverflow();
    return Money::fromRaw(static_cast<std::int64_t>(q));
}
