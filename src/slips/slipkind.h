#pragma once

#include <QString>

#include "partnerside.h"

// What tells one kind of slip from another: its tables, the columns that differ,
// its partner and the names and captions that follow from them. The four slip
// windows and the four search dialogs are one implementation each, reading
// everything that differs from one of these four tables.
struct SlipKind {
    enum class Lines { Goods, Money };  // item lines with tax, or amounts with a kind

    Lines lines;
    const PartnerSide* side;  // the customers or the suppliers

    QString headerTable;  // t_売上
    QString lineTable;    // t_売上明細
    QString view;         // v_売上: what the search dialog reads
    QString dateField;    // 売上年月日, also the date label

    // Goods slips: the class of the slip and where a line's price comes from.
    QString classField;  // 売上区分コード
    QString classTable;  // m_売上区分
    QString classLabel;  // 売上区分
    QString priceField;  // the item master's 単価 (sales) or 原価 (purchases)

    // Money slips: the kinds of a line.
    QString lineClassTable;  // m_入金明細区分
    QString lineClassKey;    // 入金区分コード

    QString formCaption;    // 売上伝票入力
    QString searchCaption;  // 売上伝票検索

    // Object names of the parts that differ by kind.
    QString headerDataSetName;     // SalesDataSet
    QString lineClassDataSetName;  // ReceiveCategoDataSet

    // The partner's code and name columns, also the partner label.
    const QString& partnerField() const { return side->codeColumn; }
    const QString& partnerNameField() const { return side->nameColumn; }

    static const SlipKind& sales();
    static const SlipKind& buying();
    static const SlipKind& moneyReceive();
    static const SlipKind& payment();

    bool hasGoods() const { return lines == Lines::Goods; }

    // "SELECT MAX(伝票番号) AS 最大伝票番号 FROM t_売上"
    QString maxQuery() const;
    // The header row of :SlipNo: the columns the window shows and writes, and
    // the slip total as it was when read (ReadTotalField).
    QString headerQuery() const;
    inline static const QString ReadTotalField = QStringLiteral("読込時伝票合計");
    // The lines of the slip :SlipNo in 明細番号 order.
    QString lineQuery() const;
};
