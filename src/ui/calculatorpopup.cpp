#include "calculatorpopup.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QToolButton>

namespace {

// The keys, row by row, as they are labelled.
const char16_t* const Keys[5][4] = {
    {u"C", u"←", u"±", u"÷"}, {u"7", u"8", u"9", u"×"},  {u"4", u"5", u"6", u"−"},
    {u"1", u"2", u"3", u"+"}, {u"0", u".", u"=", u"OK"},
};

}  // namespace

CalculatorPopup::CalculatorPopup(Money start, QWidget* parent)
    : QFrame(parent, Qt::Popup), m_calculator(start), m_display(new QLabel(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);
    m_display->setObjectName(QStringLiteral("Display"));
    m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_display->setFrameShape(QFrame::StyledPanel);
    m_display->setFrameShadow(QFrame::Sunken);
    m_display->setMinimumWidth(140);
    grid->addWidget(m_display, 0, 0, 1, 4);
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QString key = QString::fromUtf16(Keys[row][col]);
            auto* button = new QToolButton(this);
            button->setText(key);
            button->setFocusPolicy(Qt::NoFocus);
            button->setMinimumSize(32, 24);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            connect(button, &QToolButton::clicked, this, [this, key] { press(key); });
            grid->addWidget(button, row + 1, col);
        }
    }
    m_display->setText(display());
}

QString CalculatorPopup::display() const
{
    return m_calculator.display();
}

void CalculatorPopup::showBelow(QWidget* anchor)
{
    adjustSize();
    QPoint at = anchor->mapToGlobal(QPoint(anchor->width() - width(), anchor->height()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + height() > area.bottom())
            at.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
        at.setX(qBound(area.left(), at.x(), area.right() - width()));
    }
    move(at);
    show();
    setFocus(Qt::PopupFocusReason);
}

void CalculatorPopup::press(const QString& key)
{
    using Op = Calculator::Op;
    if (key.size() == 1 && key[0].isDigit())
        m_calculator.digit(key[0].digitValue());
    else if (key == u".")
        m_calculator.point();
    else if (key == u"+")
        m_calculator.operation(Op::Add);
    else if (key == u"−")
        m_calculator.operation(Op::Subtract);
    else if (key == u"×")
        m_calculator.operation(Op::Multiply);
    else if (key == u"÷")
        m_calculator.operation(Op::Divide);
    else if (key == u"=")
        m_calculator.equals();
    else if (key == u"±")
        m_calculator.negate();
    else if (key == u"←")
        m_calculator.backspace();
    else if (key == u"C")
        m_calculator.clear();
    else if (key == u"OK")
        finish();
    if (isVisible())
        m_display->setText(display());
}

void CalculatorPopup::finish()
{
    m_calculator.equals();
    if (m_calculator.hasError())
        return;
    const Money value = m_calculator.value();
    close();
    emit accepted(value);
}

void CalculatorPopup::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            press(QStringLiteral("OK"));
            return;
        case Qt::Key_Escape:
            close();
            return;
        case Qt::Key_Backspace:
            press(QStringLiteral("←"));
            return;
        case Qt::Key_Delete:
            press(QStringLiteral("C"));
            return;
        default:
            break;
    }
    static const QHash<QChar, QString> typed = {
        {u'+', QStringLiteral("+")}, {u'-', QStringLiteral("−")}, {u'*', QStringLiteral("×")},
        {u'/', QStringLiteral("÷")}, {u'=', QStringLiteral("=")}, {u'.', QStringLiteral(".")},
        {u'c', QStringLiteral("C")}, {u'C', QStringLiteral("C")},
    };
    if (text.size() == 1) {
        const QChar c = text[0];
        if (c >= u'0' && c <= u'9') {
            press(text);
            return;
        }
        const auto it = typed.constFind(c);
        if (it != typed.constEnd()) {
            press(*it);
            return;
        }
    }
    QFrame::keyPressEvent(event);
}
