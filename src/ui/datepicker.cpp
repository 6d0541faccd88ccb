#include "datepicker.h"
#include "keys.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

#include <stdexcept>

#include "formats.h"
#include "inputerror.h"

DatePicker::DatePicker(QWidget* parent) : QDateEdit(QDate::currentDate(), parent)
{
    setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    setCalendarPopup(true);
    setFocusPolicy(Qt::StrongFocus);
}

void DatePicker::openCalendar()
{
    if (!isEnabled() || isReadOnly())
        return;
    // The calendar opens from a press on the drop-down button; Qt offers no other way.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QPoint arrow =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this).center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QDateEdit::mousePressEvent(&press);
}

QDate DatePicker::inputDate() const
{
    if (!m_typing)
        return date();
    const QString typed = lineEdit()->text().trimmed();
    if (typed.isEmpty())
        return {};
    const QDate typedDate = Formats::parseTypedDate(typed, QDate::currentDate());
    if (!typedDate.isValid() || typedDate < minimumDate() || typedDate > maximumDate())
        throw std::invalid_argument(
            QStringLiteral("日付を入力してください (例: 2026/11/20): 「%1」").arg(typed).toStdString());
    return typedDate;
}

bool DatePicker::finishTyping()
{
    if (!m_typing)
        return true;
    QDate typed;
    try {
        typed = inputDate();
    } catch (const std::invalid_argument& e) {
        endTyping();
        InputError::reportLater(this, QString::fromStdString(e.what()));
        return false;
    }
    endTyping();
    if (typed.isValid())
        setDate(typed);  // an empty text keeps the date: this field always holds one
    return true;
}

void DatePicker::typeIntoEdit(const std::function<void()>& edit)
{
    // Unheard by the date edit, which would put its own text back and narrow
    // the cursor to its sections: the typed text is judged only when taken.
    const QSignalBlocker quiet(lineEdit());
    edit();
    lineEdit()->update();
}

void DatePicker::startTyping()
{
    if (m_typing)
        return;
    m_typing = true;
    // A typed date replaces the whole text.
    typeIntoEdit([this] { lineEdit()->clear(); });
    typingStarted();
}

void DatePicker::endTyping()
{
    if (!m_typing)
        return;
    m_typing = false;
    // The text of the date held, as before the typing.
    const QDate held = date();
    const QSignalBlocker quiet(this);
    setDate(held.addDays(1));
    setDate(held);
}

QValidator::State DatePicker::validate(QString& input, int& pos) const
{
    // While typing, any text may stand in the field: it is judged when taken.
    if (m_typing)
        return QValidator::Intermediate;
    return QDateEdit::validate(input, pos);
}

bool DatePicker::focusNextPrevChild(bool next)
{
    // QDateEdit would walk its sections on Tab.
    return QWidget::focusNextPrevChild(next);
}

void DatePicker::focusInEvent(QFocusEvent* event)
{
    QDateEdit::focusInEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) {
        // Unheard by the edit, which would narrow the selection to one section.
        const QSignalBlocker quiet(lineEdit());
        lineEdit()->selectAll();
    }
}

void DatePicker::focusOutEvent(QFocusEvent* event)
{
    // Taken before the edit judges its text (it would put the old date back).
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        finishTyping();
    QDateEdit::focusOutEvent(event);
}

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    if (Keys::isDropDown(event)) {
        finishTyping();
        openCalendar();
        return;
    }
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const bool printable = plain && !event->text().isEmpty() && event->text().at(0).isPrint();
    if (printable)
        startTyping();
    if (m_typing) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                finishTyping();
                break;  // then as the edit handles Enter
            case Qt::Key_Escape:
                endTyping();
                return;
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                return;  // no stepping a half-typed date
            default:
                if (printable || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                    event->key() == Qt::Key_Left || event->key() == Qt::Key_Right ||
                    event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
                    // Plain text editing: the edit's own keys would walk its sections.
                    typeIntoEdit([this, event] { QCoreApplication::sendEvent(lineEdit(), event); });
                    return;
                }
        }
    }
    QDateEdit::keyPressEvent(event);
}

bool DatePicker::event(QEvent* event)
{
    // Full-width digits from an input method start a typed date too. (The date
    // edit hands input method events to its text directly.)
    if (event->type() == QEvent::InputMethod) {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (!input->commitString().isEmpty() || !input->preeditString().isEmpty())
            startTyping();
        if (m_typing) {
            typeIntoEdit([this, input] { QCoreApplication::sendEvent(lineEdit(), input); });
            return true;
        }
    }
    return QDateEdit::event(event);
}

void DatePicker::wheelEvent(QWheelEvent* event)
{
    if (hasFocus())
        QDateEdit::wheelEvent(event);
    else
        event->ignore();
}
