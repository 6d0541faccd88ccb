#include "dbpicklist.h"

#include <QKeyEvent>
#include <QWheelEvent>

#include "dataset.h"
#include "fieldlink.h"

DbPickList::DbPickList(QWidget* parent)
    : QComboBox(parent),
      m_link(new FieldLink(
          this, [this](const Field& value) { setCurrentCode(value.value()); },
          [this] { return currentCode(); }))
{
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // Only the user's choice is stored; the link's own display is not a choice.
    connect(this, &QComboBox::activated, this, [this] {
        if (m_link->isActive() && m_link->field().value().isValid() &&
            PickListSource::sameCode(currentCode(), m_link->field().value()))
            return;  // the stored entry chosen again changes nothing
        m_link->changed();
        m_link->commit();
    });
}

void DbPickList::setSource(const Dataset& lookup, const QString& codeField, const QString& nameField)
{
    for (const auto& c : std::as_const(m_sourceConnections))
        disconnect(c);
    m_sourceConnections.clear();
    m_source = {&lookup, codeField, nameField};
    const auto follow = [this] { refill(); };
    m_sourceConnections << connect(&lookup, &Dataset::layoutReset, this, follow)
                        << connect(&lookup, &Dataset::rowInserted, this, follow)
                        << connect(&lookup, &Dataset::rowRemoved, this, follow)
                        << connect(&lookup, &Dataset::rowUpdated, this, follow)
                        << connect(&lookup, &Dataset::destroyed, this, [this] { m_source = {}; });
    refill();
}

void DbPickList::setItems(const QList<PickListItem>& items)
{
    for (const auto& c : std::as_const(m_sourceConnections))
        disconnect(c);
    m_sourceConnections.clear();
    m_source = {};
    const QVariant code = currentCode();
    PickListSource::fill(*this, items);
    setCurrentCode(m_link->isBound() ? m_link->field().value() : code);
}

void DbPickList::refill()
{
    const QVariant code = currentCode();
    PickListSource::fill(*this, m_source.items());
    setCurrentCode(m_link->isBound() ? m_link->field().value() : code);
}

void DbPickList::bind(Dataset& dataset, const QString& field)
{
    m_link->bind(dataset, field);
}

QVariant DbPickList::currentCode() const
{
    return currentIndex() < 0 ? QVariant() : itemData(currentIndex());
}

void DbPickList::setCurrentCode(const QVariant& code)
{
    setCurrentIndex(PickListSource::find(*this, code));
}

void DbPickList::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            event->accept();
            return;
        case Qt::Key_Escape:
            // Not for the list: the window decides what Escape means.
            event->ignore();
            return;
        default:
            QComboBox::keyPressEvent(event);
    }
}

void DbPickList::wheelEvent(QWheelEvent* event)
{
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}
