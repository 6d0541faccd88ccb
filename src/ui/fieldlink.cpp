#include "fieldlink.h"

#include <QWidget>

#include <exception>

#include "dataset.h"
#include "dberror.h"
#include "errorreport.h"
#include "inputerror.h"

FieldLink::FieldLink(QWidget* widget, std::function<void(const Field&)> show, std::function<QVariant()> read)
    : QObject(widget), m_widget(widget), m_show(std::move(show)), m_read(std::move(read))
{
}

void FieldLink::bind(Dataset& dataset, const QString& field)
{
    if (dataset.isOpen() && !dataset.hasField(field))
        throw DbError(QStringLiteral("項目 %1 がありません。").arg(field));
    unbind();
    m_dataset = &dataset;
    m_field = field;
    connect(&dataset, &Dataset::layoutReset, this, &FieldLink::onRowChanged);
    connect(&dataset, &Dataset::currentChanged, this, &FieldLink::onRowChanged);
    connect(&dataset, &Dataset::stateChanged, this, &FieldLink::onStateChanged);
    connect(&dataset, &Dataset::rowUpdated, this, &FieldLink::onRowUpdated);
    connect(&dataset, &Dataset::valueChanged, this, &FieldLink::onValueChanged);
    refresh();
}

void FieldLink::unbind()
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = nullptr;
    m_field.clear();
    m_pending = false;
}

bool FieldLink::isActive() const
{
    return m_dataset && m_dataset->isOpen();
}

Field FieldLink::field() const
{
    if (!isActive() || m_dataset->currentRow() < 0)
        return Field();
    try {
        return m_dataset->field(m_field);
    } catch (const std::exception&) {
        // A field the query does not return shows nothing; bind() refuses it
        // where the dataset is already open.
        return Field();
    }
}

void FieldLink::show()
{
    if (!m_dataset)
        return;
    const bool wasShowing = m_showing;
    m_showing = true;
    if (m_managesEnabled)
        m_widget->setEnabled(isActive());
    m_show(field());
    m_showing = wasShowing;
}

void FieldLink::refresh()
{
    m_pending = false;
    show();
}

void FieldLink::changed()
{
    if (m_showing || m_pending || !isActive())
        return;
    if (!m_dataset->isEditing()) {
        // The dataset's own signals while it starts editing (a new row on an
        // empty dataset, the window's handlers) must not overwrite what the
        // user has just typed.
        m_starting = true;
        try {
            m_dataset->edit();
        } catch (...) {
            m_starting = false;
            refuse(currentExceptionMessage());
            return;
        }
        m_starting = false;
    }
    m_pending = true;
}

bool FieldLink::commit()
{
    if (!m_pending || !isActive()) {
        m_pending = false;
        return true;
    }
    QVariant value;
    try {
        value = m_read();
    } catch (...) {
        refuse(currentExceptionMessage());
        return false;
    }
    try {
        if (!m_dataset->isEditing()) {
            m_starting = true;
            m_dataset->edit();
            m_starting = false;
        }
        // Cleared first: the dataset's change signals then show the value as stored.
        m_pending = false;
        m_dataset->setValue(m_field, value);
    } catch (...) {
        m_starting = false;
        refuse(currentExceptionMessage());
        return false;
    }
    show();
    emit committed();
    return true;
}

void FieldLink::refuse(const QString& message)
{
    refresh();
    InputError::reportLater(m_widget, message);
}

void FieldLink::onRowChanged()
{
    if (!m_starting)
        refresh();
}

void FieldLink::onStateChanged()
{
    if (m_starting)
        return;
    if (!isActive() || !m_dataset->isEditing())
        m_pending = false;
    if (!m_pending)
        show();
}

void FieldLink::onRowUpdated(int row)
{
    if (m_starting || m_pending || !m_dataset || row != m_dataset->currentRow())
        return;
    show();
}

void FieldLink::onValueChanged(const QString& field)
{
    // The program assigned this field: its value replaces what was typed.
    if (m_starting || field != m_field)
        return;
    refresh();
}
