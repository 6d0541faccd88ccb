#include "dbnumberedit.h"

#include <QAction>
#include <QFocusEvent>
#include <QKeyEvent>

#include <stdexcept>

#include "calculatorpopup.h"
#include "fieldlink.h"
#include "formats.h"
#include "keys.h"
#include "money.h"
#include "pendinginputguard.h"
#include "widgeticons.h"

DbNumberEdit::DbNumberEdit(Kind kind, QWidget* parent)
    : QLineEdit(parent),
      m_kind(kind),
      m_link(new FieldLink(
          this,
          [this](const Field& value) {
              m_stored = value.value();
              render();
          },
          [this] { return value(); }))
{
    setAlignment((kind == Kind::PostalCode ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!m_rendering)
            m_link->changed();
    });
}

void DbNumberEdit::setRange(qint64 minimum, qint64 maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_ranged = true;
}

void DbNumberEdit::setCalculatorButton(bool shown)
{
    if (shown == hasCalculatorButton())
        return;
    if (shown) {
        m_calculator = addAction(WidgetIcons::calculator(), QLineEdit::TrailingPosition);
        m_calculator->setToolTip(QStringLiteral("電卓 (Alt+↓)"));
        connect(m_calculator, &QAction::triggered, this, &DbNumberEdit::openCalculator);
    } else {
        removeAction(m_calculator);
        delete m_calculator;
        m_calculator = nullptr;
    }
}

void DbNumberEdit::bind(Dataset& dataset, const QString& field)
{
    m_link->bind(dataset, field);
    if (!m_guarded) {
        m_guarded = true;
        new PendingInputGuard(this, [this] { return m_link->commit(); });
    }
}

QString DbNumberEdit::displayText(const QVariant& stored, bool forTyping) const
{
    const Field field(stored);
    if (field.isNull())
        return {};
    if (m_kind == Kind::PostalCode)
        return Formats::postalCodeText(stored);
    try {
        if (m_kind == Kind::Integer)
            return QString::number(field.asInt());
        const Money money = field.asMoney();
        if (forTyping)
            return money.toPlainText();
        switch (m_kind) {
            case Kind::Money:
                return money.toMoneyText();
            case Kind::Price:
                return money.toPriceText();
            case Kind::Quantity:
                return money.toQuantityText();
            case Kind::Integer:
            case Kind::PostalCode:
                break;
        }
    } catch (const std::exception&) {
        // A stored value that is not a number is shown as it is.
    }
    return field.asText();
}

void DbNumberEdit::render()
{
    m_rendering = true;
    setText(displayText(m_stored, hasFocus()));
    if (hasFocus())
        selectAll();
    m_rendering = false;
}

QVariant DbNumberEdit::value() const
{
    const QString typed = text().trimmed();
    if (typed.isEmpty())
        return {};
    if (m_kind == Kind::PostalCode)
        return Formats::parsePostalCode(typed);
    const Money money = Money::parse(typed);
    if (m_kind != Kind::Integer)
        return QVariant::fromValue(money);
    if (money.raw() % Money::Scale != 0)
        throw std::invalid_argument(
            QStringLiteral("整数を入力してください: 「%1」").arg(text()).toStdString());
    const qint64 whole = money.raw() / Money::Scale;
    if (m_ranged && (whole < m_minimum || whole > m_maximum))
        throw std::invalid_argument(QStringLiteral("%1 から %2 までの数値を入力してください: 「%3」")
                                        .arg(m_minimum)
                                        .arg(m_maximum)
                                        .arg(text())
                                        .toStdString());
    return qlonglong(whole);
}

void DbNumberEdit::openCalculator()
{
    if (!isEnabled() || isReadOnly())
        return;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    Money start;
    try {
        const QVariant v = value();
        start = m_kind == Kind::Integer || m_kind == Kind::PostalCode ? Money::fromYen(v.toLongLong())
                                                                      : v.value<Money>();
    } catch (const std::exception&) {
        // A text that is no number starts the calculator at zero.
    }
    auto* popup = new CalculatorPopup(start, this);
    connect(popup, &CalculatorPopup::accepted, this, [this](Money result) {
        // As if typed: stored when the field is left.
        setText(result.toPlainText());
        setFocus(Qt::PopupFocusReason);
        selectAll();
    });
    popup->showBelow(this);
}

void DbNumberEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::PopupFocusReason && !m_link->isPending() && m_link->isBound())
        render();  // the plain number to type over
}

void DbNumberEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    m_link->commit();
    if (m_link->isBound() && !m_link->isPending())
        render();
    emit exited();
}

void DbNumberEdit::keyPressEvent(QKeyEvent* event)
{
    if (m_calculator && Keys::isDropDown(event)) {
        openCalculator();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_link->isPending()) {
        m_link->refresh();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        m_link->commit();
    QLineEdit::keyPressEvent(event);
}
