#pragma once

#include <QDate>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "dataset.h"
#include "ledgercomputation.h"
#include "periodlistwindow.h"
#include "slipopener.h"

struct ColumnSpec;
class DbGrid;
class DbText;
class LedgerRptForm;
class QCheckBox;

// The customer and supplier ledgers (twins): one partner picked by its code,
// a period, and every movement on the partner's account over it with the
// running balance. The named windows differ only by their Names.
class LedgerForm : public CodedLedgerWindow {
    Q_OBJECT

public:
    struct Names {
        QString caption;             // 顧客元帳
        QKeySequence dispDetailKey;  // the shortcut of "伝票表示" (none on the customer side)
        QString balanceTitle;        // 売掛残高
        int balanceWidth = 0;
        int quantityWidth = 0;
        const LedgerNames* ledger = nullptr;
        // The lookup dialog: the code the user chose, nothing when cancelled.
        std::optional<QString> (*lookUpPartner)(QWidget* owner) = nullptr;
        // The slip window of a row kind (1 cash, 2 credit, 3 money); null for
        // the carried-forward row.
        SlipOpener (*slipOpenerFor)(int kind) = nullptr;
        // The print layout over the ledger rows and the partner.
        std::unique_ptr<LedgerRptForm> (*makeReport)(Dataset& ledger, Dataset& partner) = nullptr;
    };

    QCheckBox* const CheckBoxDetail;
    DbGrid* const GridLedger;

    // The ledger rows: closed until the first display.
    Dataset& LedgerDataSet() const { return m_ledger.dataset(); }

    // What a balance list does to open the ledger of one of its rows: the
    // pickers take the period, the code field and the partner the code, and
    // the ledger is displayed. An error is reported and the window still opens.
    void openOnPartner(const QString& code, const QDate& from, const QDate& to) { openOn(code, from, to); }

    // The period of the last display, "yyyy/mm/dd"; empty before the first.
    QString PeriodFromText() const { return m_ledger.PeriodFromText(); }
    QString PeriodToText() const { return m_ledger.PeriodToText(); }

    // What the window shows, prints and writes, without a window: the grid's
    // columns, the print of the last build (partner heading from `partner`'s
    // current row, the period of the build) and the name "CSV出力" proposes.
    static QList<ColumnSpec> columns(const Names& names);
    static std::unique_ptr<LedgerRptForm> makePrint(const Names& names, const LedgerComputation& ledger,
                                                    Dataset& partner);
    static QString fileName(const Names& names, const QString& partnerCode, const LedgerComputation& ledger);

protected:
    LedgerForm(QWidget* owner, const Names& names);

    // The partner loaded from the code field (CustomerDataSet, SupplierDataSet).
    Dataset& partnerDataSet() const { return masterDataSet(); }
    DbText* partnerNameBox() const { return nameBox(); }

    Dataset& shownRows() const override { return LedgerDataSet(); }
    Period build(const QString& code, const QDate& from, const QDate& to) override;
    std::optional<QString> lookUp() override;
    void ActionDispDetailExecute() override;
    void ActionPrintExecute() override;

private:
    void buildControls();
    QVariant rowBackground(const RowRef& row, int rowIndex) const;
    void CheckBoxDetailClick();

    const Names& m_names;
    LedgerComputation m_ledger;
};
