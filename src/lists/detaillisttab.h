#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <memory>

#include "datasetmodel.h"
#include "detaillist.h"
#include "period.h"

class DbGrid;
class QAction;
class QWidget;
class Report;

// One list of a detail-list window: the computation, its grid, its two actions
// ("伝票表示", "印刷") and the period of its last display. The window owns the
// widgets; the tab wires them.
class DetailListTab {
public:
    using SlipOpener = void (*)(QWidget* owner, const QString& slipNo);

    struct Names {
        DetailList::Arrangement arrangement;
        QString printTitle;     // 売上明細表（伝票別）
        QString noSlipMessage;  // shown by "伝票表示" on a row without a slip; empty where every row has one
    };

    DetailListTab(Connection& connection, const PartnerSide& side, const Names& names, DbGrid* grid,
                  SlipOpener opener);
    ~DetailListTab();

    DetailList& list() { return m_list; }
    const DetailList& list() const { return m_list; }
    Dataset& dataset() const { return m_list.dataset(); }
    DbGrid* grid() const { return m_grid; }
    const QList<ColumnSpec>& columns() const { return m_columns; }
    QAction* disp = nullptr;
    QAction* print = nullptr;

    void build(const Period& period);
    // Both actions act only on an open list with rows.
    bool hasRows() const;
    void updateActions();
    // The row's background: the button face for slip and item rows, light
    // green for customer rows, none for lines.
    QColor rowBackground(int row, const QPalette& palette) const;
    // Opens the slip of the current row, or tells that a group row has none.
    void showSlip(QWidget* owner);
    // What "印刷" shows: the list under its title over the period of its last display.
    std::unique_ptr<Report> makePrint() const;
    // The name "CSV出力" proposes: the list's title and the period of its last display.
    QString csvFileName() const;

    static QList<ColumnSpec> columnsOf(const PartnerSide& side, DetailList::Arrangement arrangement)
    {
        return DetailList::columns(side, arrangement);
    }
    static QColor rowBackground(const DetailList& list, int row, const QPalette& palette);
    // What "印刷" and "CSV出力" make without a window: the print of a built
    // list under `title` over `period` (group rows shaded in the paper's grey),
    // and the name proposed for it.
    static std::unique_ptr<Report> makePrint(const DetailList& list, const QString& title,
                                             const Period& period);
    static QString fileName(const QString& title, const Period& period);
    static inline const QColor CustomerRowColor{192, 220, 192};

private:
    DetailList m_list;
    const Names& m_names;
    DbGrid* m_grid;
    SlipOpener m_opener;
    QList<ColumnSpec> m_columns;
    Period m_period;
};
