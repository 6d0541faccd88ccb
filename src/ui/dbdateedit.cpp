#include "dbdateedit.h"

#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>

#include "fieldlink.h"
#include "pendinginputguard.h"

namespace {

// The day that stands for "no date": earlier than any date a book holds.
const QDate NoDate(1900, 1, 1);

}  // namespace

DbDateEdit::DbDateEdit(QWidget* parent)
    : DatePicker(parent),
      m_link(new FieldLink(
          this, [this](const Field& value) { showDate(value.asDate()); },
          [this] {
              // A typed text that is no date throws, and the link refuses it.
              const QDate d = inputDate();
              return d.isValid() && d != NoDate ? QVariant(d) : QVariant();
          }))
{
    setMinimumDate(NoDate);
    setSpecialValueText(QStringLiteral(" "));
    connect(this, &QDateEdit::dateChanged, this, &DbDateEdit::onDateChanged);
    // Picking the offered day in the calendar changes no date, yet chooses it.
    connect(calendarWidget(), &QCalendarWidget::clicked, this, [this] { takeOffer(); });
}

void DbDateEdit::takeOffer()
{
    if (!m_offered)
        return;
    m_offered = false;
    m_link->changed();
}

void DbDateEdit::bind(Dataset& dataset, const QString& field)
{
    m_link->bind(dataset, field);
    if (!m_guarded) {
        m_guarded = true;
        new PendingInputGuard(this, [this] { return m_link->commit(); });
    }
}

QDate DbDateEdit::value() const
{
    return date() == NoDate ? QDate() : date();
}

void DbDateEdit::typingStarted()
{
    m_offered = false;
    m_link->changed();
}

bool DbDateEdit::finishTyping()
{
    if (!isTyping())
        return true;
    // Stored (or refused) through the link, which shows the field again.
    const bool stored = m_link->commit();
    endTyping();
    return stored;
}

void DbDateEdit::showDate(const QDate& d)
{
    endTyping();
    m_offered = false;
    m_placing = true;
    setDate(d.isValid() && d > NoDate ? d : NoDate);
    m_placing = false;
}

void DbDateEdit::onDateChanged()
{
    if (m_placing || m_link->isShowing())
        return;
    // The edit also reports the date it already had (on Enter, on focus):
    // only a different date is a change.
    if (!m_link->isPending() && !m_offered && value() == m_link->field().asDate())
        return;
    m_offered = false;
    m_link->changed();
}

void DbDateEdit::focusInEvent(QFocusEvent* event)
{
    if (m_link->isActive() && !m_link->isPending() && !value().isValid() &&
        event->reason() != Qt::PopupFocusReason) {
        m_placing = true;
        setDate(QDate::currentDate());
        m_placing = false;
        m_offered = true;
    }
    DatePicker::focusInEvent(event);
}

void DbDateEdit::focusOutEvent(QFocusEvent* event)
{
    DatePicker::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (m_offered)
        m_link->refresh();  // the offered date was not taken: the field is empty again
    else
        m_link->commit();
    emit exited();
}

void DbDateEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_link->isPending()) {
        m_link->refresh();
        return;
    }
    // Typing into the offered date, stepping it or confirming it with Enter takes it.
    const bool takes = (!event->text().isEmpty() && event->text().at(0).isPrint()) ||
                       event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                       event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown ||
                       event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (takes && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        takeOffer();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        m_link->commit();
    DatePicker::keyPressEvent(event);
}
