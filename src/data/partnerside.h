#pragma once

#include <QString>

#include <initializer_list>
#include <utility>

// "SELECT * FROM <table> WHERE <codeColumn> = :Code": the row of a master by its
// exact code. Table and column are the program's own names; the code is bound.
QString masterRowQuery(const QString& table, const QString& codeColumn);

// One side of the business's accounts: the customers, to whom goods are sold
// (sales slips) and from whom money is received (receipt slips), or the
// suppliers, from whom goods are bought (purchase slips) and to whom money is
// paid (payment slips). Everything that names the side's master, slips and
// views is said here once; the slip windows, the lookups, the master editors,
// the ledgers, the balance lists and the bills take their names from it.
struct PartnerSide {
    bool isCustomer;
    QString label;       // 顧客: also the stem of the master's column names
    QString objectStem;  // Customer: the stem of object names (CustomerDataSet)

    // The master.
    QString table;       // m_顧客
    QString codeColumn;  // 顧客コード
    QString nameColumn;  // 顧客名
    QString kanaColumn;  // 顧客名カナ

    // The goods slips (sales or purchases), their class and their views.
    QString goodsTable;        // t_売上
    QString goodsLineTable;    // t_売上明細
    QString goodsView;         // v_売上
    QString goodsLineView;     // v_売上明細
    QString goodsDateColumn;   // 売上年月日
    QString goodsClassColumn;  // 売上区分コード
    QString goodsClassTable;   // m_売上区分
    QString goodsClassLabel;   // 売上区分

    // The money slips (receipts or payments), the kinds of their lines and their views.
    QString moneyTable;           // t_入金
    QString moneyLineTable;       // t_入金明細
    QString moneyView;            // v_入金
    QString moneyLineView;        // v_入金明細
    QString moneyDateColumn;      // 入金年月日
    QString moneyLineClassTable;  // m_入金明細区分
    QString moneyLineClassKey;    // 入金区分コード

    static const PartnerSide& customer();
    static const PartnerSide& supplier();

    // "SELECT * FROM m_顧客 WHERE 顧客コード = :Code": the master row of one
    // partner by its exact code, which is bound, never part of the text.
    QString rowByCodeQuery() const;
    // A query template with this side's names put in for {PartnerTable},
    // {Partner}, {PartnerName}, {Slips}, {Lines}, {SlipKind}, {SlipDate},
    // {Money}, {MoneyLines} and {MoneyDate}, and `own` tokens for the rest (the
    // names a document gives its own output columns and parameters).
    QString fillNames(QString sql, std::initializer_list<std::pair<const char*, QString>> own = {}) const;
    // CustomerDataSet, DBTextCustomerName, … : `prefix` + stem + `suffix`.
    QString objectName(const QString& prefix, const QString& suffix = {}) const
    {
        return prefix + objectStem + suffix;
    }
};
