#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class Dataset;
class QComboBox;

// One entry of a pick list: the value stored and the text shown.
struct PickListItem {
    QVariant code;
    QString text;
};

// Where a pick list takes its entries from: every row of an open lookup dataset
// (the sales classes, the item categories), in the dataset's order, shown as
// code and name ("10 掛売"), storing the code.
struct PickListSource {
    const Dataset* dataset = nullptr;
    QString codeField;
    QString nameField;

    // The entries as the dataset holds them now; none while it is closed.
    QList<PickListItem> items() const;

    // Replaces the entries of `combo`; the code of each is its item data.
    static void fill(QComboBox& combo, const QList<PickListItem>& items);
    // The entry of `combo` whose code is `code`, or -1 (also for null).
    static int find(const QComboBox& combo, const QVariant& code);
    // Codes compare as text: a code column read back from the database may be
    // a number where the list holds text.
    static bool sameCode(const QVariant& a, const QVariant& b);
};
