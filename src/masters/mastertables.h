#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

// What sets the five code-keyed master editors apart: table, code column,
// fields in tab order, the lists the fields pick from and the defaults of a new
// row. The editors themselves are one implementation (MasterEditForm).
namespace MasterTables {

// A list opened when the window is created and never refreshed while it is open.
struct PickListQuery {
    QString sql;
    QString codeField;  // the value stored
    QString nameField;  // shown after the code; empty for a list of names (the units)
};

enum class FieldKind {
    Text,          // free text, at most maxLength characters (0: as many as the store takes)
    PickList,      // drop-down of code and name, storing the code
    TextWithList,  // free text with a drop-down of the list's names (the unit)
    Price,         // yen with up to two decimals, calculator button
    PostalCode,    // a whole number of at most seven digits, no separators
    ClosingDay,    // "01日" … "31日", "月末", storing 1 … 32
};

struct FieldSpec {
    QString label;
    QString column;
    FieldKind kind = FieldKind::Text;
    int maxLength = 0;
    int pickList = -1;      // index into EditorSpec::pickLists
    bool required = false;  // checked before the row is written
};

struct EditorSpec {
    QString caption;                 // 商品台帳
    QString table;                   // m_商品
    QString codeColumn;              // 商品コード
    int codeWidth = 0;               // characters
    QString dataSetName;             // ItemDataSet
    QList<PickListQuery> pickLists;  // opened at creation, in this order
    QList<FieldSpec> fields;         // in tab order after the code
    QList<std::pair<QString, QVariant>> defaults;

    // "SELECT * FROM <table> WHERE <code> = :Code": at most one row.
    QString recordSql() const;
    // The code field's label: the column name and " *".
    QString codeLabel() const;
};

const EditorSpec& item();
const EditorSpec& itemCategory();
const EditorSpec& customer();
const EditorSpec& supplier();
const EditorSpec& employee();

// The closing days a customer picks from: "01日" … "31日" storing 1 … 31, "月末" storing 32.
QList<std::pair<int, QString>> closingDays();

// The largest postal code: seven digits.
inline constexpr qint64 MaxPostalCode = 9999999;

}  // namespace MasterTables
