#pragma once

#include <QString>
#include <QVariant>

class Dataset;
struct PartnerSide;

// The queries of the master lookup dialogs. Every typed text is bound as a
// parameter: a quote searches for a quote, while "%" and "_" keep their meaning
// as wildcards of LIKE. A row matches when its code contains the code text and
// every other searched column contains its text or is null; an empty text
// matches everything.
namespace MasterLookup {

// "%" + text + "%": the LIKE pattern of "contains text".
QString containing(const QString& text);

// What the item search looks for. A null category searches every category.
struct ItemCriteria {
    QString code;
    QString name;
    QString kana;
    QVariant category;
};

// Prepares `result` (closed) for the item search over m_商品.
void prepareItemSearch(Dataset& result, const ItemCriteria& criteria);

struct PartnerCriteria {
    QString code;
    QString name;
    QString kana;
    QString tel;
};

// Prepares `result` (closed) for the customer or supplier search.
void preparePartnerSearch(Dataset& result, const PartnerSide& side, const PartnerCriteria& criteria);

// The names of a master that its dialog lists whole, in code order.
struct ListNames {
    QString table;       // m_商品分類
    QString codeColumn;  // 商品分類コード
    QString nameColumn;  // 分類名

    static const ListNames& itemCategory();
    static const ListNames& employee();
};

// Prepares `result` (closed) to list every row of the master in code order.
void prepareList(Dataset& result, const ListNames& names);

// The item categories for the item search's category picker.
QString itemCategoriesSql();

}  // namespace MasterLookup
