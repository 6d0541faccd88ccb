#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QTest>

#include "dbeditgrid.h"
#include "functionwindow.h"
#include "money.h"
#include "testdb.h"
#include "widgettesthelp.h"

// The masters the slip tests refer to: customers C1 and C'Q (a quote in the
// code), supplier S1, staff 01, categories 0001 and 0002, item A1 (price 1,000,
// cost 800, taxable) and item B1 (no price, no cost, class "02").
inline void seedMasters(const TestDb& db)
{
    db.exec(
        "INSERT INTO m_顧客 (顧客コード, 顧客名) VALUES ('C1', '山田商店'), ('C''Q', '引用符商会'), ('C2', "
        "'川口商事');"
        "INSERT INTO m_仕入先 (仕入先コード, 仕入先名) VALUES ('S1', '丸山物産'), ('S2', '海野産業');"
        "INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES ('01', '佐藤');"
        "INSERT INTO m_商品分類 (商品分類コード, 分類名) VALUES ('0001', '食品'), ('0002', '雑貨');"
        "INSERT INTO m_商品 (商品コード, 商品名, 商品分類コード, 税区分コード, 単位, 単価, 原価) VALUES"
        " ('A1', 'りんご', '0001', '01', '個', 10000000, 8000000),"
        " ('B1', 'はさみ', '0002', '02', '本', NULL, NULL);");
}

// One rate for every date: the tax of a test does not depend on today's date.
inline void setSingleRate(const TestDb& db, const char* tenThousandths)
{
    db.exec(QStringLiteral(
                "DELETE FROM m_税率; INSERT INTO m_税率 (適用年月日, 消費税率) VALUES ('1989-04-01', %1);")
                .arg(QString::fromLatin1(tenThousandths)));
}

inline QModelIndex cellOf(DbEditGrid* grid, int row, const QString& field)
{
    return grid->datasetModel()->index(row, grid->datasetModel()->modelColumnOf(field));
}

// Puts the grid's cursor on a cell and types into it, as a clerk does after
// moving there with the arrow keys.
inline void typeIntoCell(DbEditGrid* grid, int row, const QString& field, const QString& text)
{
    QApplication::setActiveWindow(grid->window());
    grid->setFocus(Qt::TabFocusReason);
    if (grid->dataset()->currentRow() != row)
        grid->dataset()->moveTo(row);
    grid->setCurrentIndex(cellOf(grid, row, field));
    typeKeys(text);
}

// An action key as the user presses it: the idle refresh has run since the last
// input (a disabled action's key does nothing).
inline void pressAction(FunctionWindow* window, Qt::Key key)
{
    QApplication::setActiveWindow(window);
    window->idleRefresh();
    QTest::keyClick(window, key);
}

inline bool enabled(const QAction* action)
{
    return action->isEnabled();
}
