#pragma once

#include <QLineEdit>
#include <QStringList>

class Dataset;
class FieldLink;
class QCompleter;

// A one-line text field, bound to a text column of a dataset or free.
//
// Bound (bind()), it shows the column of the current row, starts editing the
// row on the first keystroke and stores the text when the user leaves the field
// or presses Enter; an empty text is stored as null. Escape puts the stored
// value back. A text a window puts in with setText() counts as typed: it is
// stored when the field is left. The field is greyed and empty while the dataset
// is closed.
class DbEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit DbEdit(QWidget* parent = nullptr);

    // Binds the field to `field` of `dataset`; `maxLength` is the column's width
    // in characters (0: no limit).
    void bind(Dataset& dataset, const QString& field, int maxLength = 0);
    FieldLink& link() const { return *m_link; }

    // A list to pick from (the unit names): a button and Alt+Down (or F4) show it
    // all, typing shows the entries that start with the text. A picked entry
    // counts as typed; any other text may still be typed.
    void setDropDownList(const QStringList& entries);
    // The entries from a column of a lookup dataset (the unit names of m_単位),
    // in its order; they follow the dataset when it is opened again.
    void setDropDownList(const Dataset& lookup, const QString& field);
    void showDropDown();

    // Only digits, for a whole number from 0 to `maximum` (a slip number).
    void setDigitsOnly(qint64 maximum);

signals:
    // The focus left the field (Tab, Enter as Tab, a click elsewhere), after the
    // typed value was stored. Not sent when a popup or another window takes the
    // focus for a while.
    void exited();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink* m_link;
    QCompleter* m_dropDown = nullptr;
    QList<QMetaObject::Connection> m_listSource;
    bool m_guarded = false;
};
