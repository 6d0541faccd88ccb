#pragma once

#include <QComboBox>

#include "picklistsource.h"

class Dataset;
class FieldLink;

// A drop-down list bound to a code column: it shows code and name of each entry
// and stores the code of the entry chosen, at once. A stored code that is not in
// the list shows as an empty choice. Escape, Delete and Backspace leave the
// choice alone; typing the first characters of an entry chooses it; Alt+Down
// (or F4) opens the list. The mouse wheel changes the choice only while the list
// has the focus, so scrolling a form never changes a value by accident.
class DbPickList : public QComboBox {
    Q_OBJECT

public:
    explicit DbPickList(QWidget* parent = nullptr);

    // Entries from a lookup dataset; they follow it when it is opened again.
    void setSource(const Dataset& lookup, const QString& codeField, const QString& nameField);
    // Fixed entries (the closing days "01日" … "月末" storing 1 … 32).
    void setItems(const QList<PickListItem>& items);

    void bind(Dataset& dataset, const QString& field);
    FieldLink& link() const { return *m_link; }

    // The code of the chosen entry; null when none is chosen.
    QVariant currentCode() const;
    // Chooses the entry of `code` (none for an unknown code) without storing it.
    void setCurrentCode(const QVariant& code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void refill();

    FieldLink* m_link;
    PickListSource m_source;
    QList<QMetaObject::Connection> m_sourceConnections;
};
