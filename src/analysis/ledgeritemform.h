#pragma once

#include <QDate>
#include <QString>

#include <memory>

#include "dataset.h"
#include "itemledgercomputation.h"
#include "periodlistwindow.h"

class DbGrid;
class DbText;
class Report;

// The item ledger ("商品元帳"): one item picked by its code, a period, and
// every purchase and sale of the item over it with the running stock.
class TLedgerItemForm : public CodedLedgerWindow {
    Q_OBJECT

public:
    explicit TLedgerItemForm(QWidget* owner);

    DbGrid* const GridLedger;
    DbText* const DBTextItemName;

    Dataset& LedgerDataSet() const { return m_ledger.dataset(); }
    // The item loaded from the code field.
    Dataset& ItemDataSet() const { return masterDataSet(); }

    // What the stock list does to open the ledger of one of its rows: the
    // pickers take the period, the code field and the item the code, and the
    // ledger is displayed. An error is reported and the window still opens.
    void openOnItem(const QString& code, const QDate& from, const QDate& to) { openOn(code, from, to); }

    QString PeriodFromText() const { return m_ledger.PeriodFromText(); }
    QString PeriodToText() const { return m_ledger.PeriodToText(); }

    // What the window prints and writes, without a window: the print of the
    // last build (the item heading from `item`'s current row, the period), and
    // the name "CSV出力" proposes.
    static std::unique_ptr<Report> makePrint(const ItemLedgerComputation& ledger, Dataset& item);
    static QString fileName(const QString& itemCode, const ItemLedgerComputation& ledger);

protected:
    Dataset& shownRows() const override { return LedgerDataSet(); }
    Period build(const QString& code, const QDate& from, const QDate& to) override;
    std::optional<QString> lookUp() override;
    void ActionDispDetailExecute() override;
    void ActionPrintExecute() override;

private:
    ItemLedgerComputation m_ledger;
};
