#include "dbedit.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStringListModel>
#include <QValidator>

#include "dataset.h"
#include "fieldlink.h"
#include "keys.h"
#include "pendinginputguard.h"
#include "widgeticons.h"

namespace {

// Digits only, with a value from 0 to a maximum.
class WholeNumberValidator : public QValidator {
public:
    WholeNumberValidator(qint64 maximum, QObject* parent) : QValidator(parent), m_maximum(maximum) {}

    State validate(QString& input, int&) const override
    {
        if (input.isEmpty())
            return Acceptable;
        for (const QChar c : std::as_const(input))
            if (c < u'0' || c > u'9')
                return Invalid;
        bool ok = false;
        const qint64 value = input.toLongLong(&ok);
        return ok && value <= m_maximum ? Acceptable : Invalid;
    }

private:
    qint64 m_maximum;
};

}  // namespace

DbEdit::DbEdit(QWidget* parent)
    : QLineEdit(parent),
      m_link(new FieldLink(
          this,
          [this](const Field& value) {
              setText(value.asText());
              setCursorPosition(0);
          },
          [this] { return QVariant(text()); }))
{
    connect(this, &QLineEdit::textChanged, this, [this] { m_link->changed(); });
}

void DbEdit::bind(Dataset& dataset, const QString& field, int maxLength)
{
    if (maxLength > 0)
        setMaxLength(maxLength);
    m_link->bind(dataset, field);
    if (!m_guarded) {
        m_guarded = true;
        new PendingInputGuard(this, [this] { return m_link->commit(); });
    }
}

void DbEdit::setDropDownList(const QStringList& entries)
{
    if (!m_dropDown) {
        m_dropDown = new QCompleter(this);
        m_dropDown->setCaseSensitivity(Qt::CaseInsensitive);
        m_dropDown->setCompletionMode(QCompleter::PopupCompletion);
        setCompleter(m_dropDown);
        QAction* button = addAction(WidgetIcons::dropDown(), QLineEdit::TrailingPosition);
        button->setToolTip(QStringLiteral("一覧 (Alt+↓)"));
        connect(button, &QAction::triggered, this, &DbEdit::showDropDown);
    }
    auto* model = qobject_cast<QStringListModel*>(m_dropDown->model());
    if (!model) {
        model = new QStringListModel(m_dropDown);
        m_dropDown->setModel(model);
    }
    model->setStringList(entries);
}

void DbEdit::setDropDownList(const Dataset& lookup, const QString& field)
{
    for (const auto& c : std::as_const(m_listSource))
        disconnect(c);
    m_listSource.clear();
    const auto refill = [this, &lookup, field] {
        QStringList entries;
        if (lookup.isOpen())
            for (int row = 0; row < lookup.count(); ++row)
                entries << lookup.fieldAt(row, field).asText();
        setDropDownList(entries);
    };
    m_listSource << connect(&lookup, &Dataset::layoutReset, this, refill)
                 << connect(&lookup, &Dataset::rowInserted, this, refill)
                 << connect(&lookup, &Dataset::rowRemoved, this, refill)
                 << connect(&lookup, &Dataset::rowUpdated, this, refill);
    refill();
}

void DbEdit::showDropDown()
{
    if (!m_dropDown || !isEnabled() || isReadOnly())
        return;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    m_dropDown->setCompletionPrefix(QString());
    m_dropDown->complete();
}

void DbEdit::setDigitsOnly(qint64 maximum)
{
    setValidator(new WholeNumberValidator(maximum, this));
    setMaxLength(int(QString::number(maximum).size()));
}

void DbEdit::keyPressEvent(QKeyEvent* event)
{
    if (m_dropDown && Keys::isDropDown(event)) {
        showDropDown();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_link->isPending()) {
        m_link->refresh();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_dropDown && m_dropDown->popup()->isVisible()) {
        // The drop-down forwards its keys to the field. Enter takes the chosen
        // entry and then means what it means everywhere (stored, on to the next
        // field), so the next typing does not land in this field.
        QAbstractItemView* popup = m_dropDown->popup();
        const QModelIndex chosen = popup->currentIndex();
        popup->hide();
        if (chosen.isValid())
            setText(chosen.data(m_dropDown->completionRole()).toString());
        QKeyEvent again(QEvent::KeyPress, event->key(), event->modifiers());
        QCoreApplication::sendEvent(this, &again);
        event->accept();
        return;
    }
    if (enter)
        m_link->commit();
    QLineEdit::keyPressEvent(event);
}

void DbEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A popup (the drop-down list, a context menu) or another window (a lookup
    // dialog, a message box) takes the focus only for a while: the field is not left.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    m_link->commit();
    emit exited();
}
