#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

#include "dataset.h"

class QWidget;

// Connects one field widget to one field of a dataset.
//
// The link shows the field of the current row whenever the row, the field or
// the dataset's state changes, and empties and disables the widget while the
// dataset is closed. The widget tells the link about every change of its
// content (changed()) and asks it to store the content when the user leaves the
// widget or presses Enter (commit()). The first change puts the dataset into
// edit mode (on an empty dataset it starts a new row), so the window's "before
// edit" handler runs as the user starts typing. What the link itself puts into
// the widget is not a change: showing a row never starts an edit.
//
// A value the widget cannot read (text that is not a number) or that the
// dataset refuses is reported in the error box once the current event is done;
// the widget then shows the field's value again and gets the focus back.
class FieldLink : public QObject {
    Q_OBJECT

public:
    // `show` puts a value into the widget (a null Field for no row or a closed
    // dataset). `read` returns the widget's content as the value to store and
    // throws std::invalid_argument, with a message for the user, when it is not one.
    FieldLink(QWidget* widget, std::function<void(const Field&)> show, std::function<QVariant()> read);

    // Throws DbError when `dataset` is open and has no such field.
    void bind(Dataset& dataset, const QString& field);
    void unbind();
    Dataset* dataset() const { return m_dataset; }
    const QString& fieldName() const { return m_field; }
    bool isBound() const { return m_dataset != nullptr; }
    // Bound to an open dataset.
    bool isActive() const;
    // The field of the current row; null when there is none.
    Field field() const;

    // Whether the link itself is filling the widget right now.
    bool isShowing() const { return m_showing; }
    // The widget holds a change that is not stored yet.
    bool isPending() const { return m_pending; }
    // Whether the link enables the widget while the dataset is open and
    // disables it while it is closed (on by default).
    void setManagesEnabled(bool on) { m_managesEnabled = on; }

    // The user (or a window, as if typing) changed the widget's content.
    void changed();
    // Stores a pending change. True when nothing was pending or the value was
    // stored; false when it was refused (reported, the old value shown again).
    bool commit();
    // Shows the field again, dropping a pending change.
    void refresh();

signals:
    // A value was stored into the field.
    void committed();

private:
    void show();
    void refuse(const QString& message);
    void onRowChanged();
    void onStateChanged();
    void onRowUpdated(int row);
    void onValueChanged(const QString& field);

    QWidget* m_widget;
    std::function<void(const Field&)> m_show;
    std::function<QVariant()> m_read;
    QPointer<Dataset> m_dataset;
    QString m_field;
    bool m_showing = false;
    bool m_pending = false;
    bool m_starting = false;  // inside the dataset's edit() started by a change
    bool m_managesEnabled = true;
};
