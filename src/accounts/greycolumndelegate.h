#pragma once

#include <QSet>
#include <QString>
#include <QStyledItemDelegate>

// Draws the cells of some columns of a read-only grid in the grey-text colour.
// The columns are named by field, so they stay grey whichever columns are
// shown or hidden around them.
class GreyColumnDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    GreyColumnDelegate(QSet<QString> fields, QObject* parent);

    bool isGrey(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QSet<QString> m_fields;
};
