#pragma once

#include <QDate>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "dataset.h"
#include "functionwindow.h"
#include "ledgercomputation.h"
#include "slipopener.h"

struct ColumnSpec;
class DatePicker;
class PeriodRow;
class DbCodeEdit;
class DbGrid;
class DbText;
class LedgerRptForm;
class QCheckBox;
class QLabel;
class QPushButton;
class Report;

// The customer and supplier ledgers (twins): one partner picked by its code,
// a period, and every movement on the partner's account over it with the
// running balance. The named windows differ only by their Names.
class LedgerForm : public FunctionWindow {
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

    // How "印刷" shows the prepared layout: the modal print preview, unless a
    // test looks at the layout instead.
    using ReportPreview = std::function<int(QWidget* owner, const Report& report)>;

    DbCodeEdit* const EditCode;

private:
    PeriodRow* const m_periodRow;  // owns the two pickers; declared first, made first

public:
    DatePicker* const JvDatePickerEditFrom;
    DatePicker* const JvDatePickerEditTo;
    QCheckBox* const CheckBoxDetail;
    QPushButton* const ButtonDisp;
    DbGrid* const GridLedger;
    QAction* ActionDispDetail = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

    // The ledger rows: closed until the first display.
    Dataset& LedgerDataSet() const { return m_ledger.dataset(); }

    // Shows the ledger of the loaded partner over the pickers' period; the
    // pickers exchange their dates first when "to" is before "from".
    void BuildLedger();
    // What a balance list does to open the ledger of one of its rows: the
    // pickers take the period, the code field and the partner the code, and
    // the ledger is displayed. An error is reported and the window still opens.
    void openOnPartner(const QString& code, const QDate& from, const QDate& to);

    // The period of the last display, "yyyy/mm/dd"; empty before the first.
    QString PeriodFromText() const { return m_ledger.PeriodFromText(); }
    QString PeriodToText() const { return m_ledger.PeriodToText(); }

    void setReportPreview(ReportPreview preview) { m_preview = std::move(preview); }

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
    Dataset& partnerDataSet() const { return *m_partner; }
    DbText* partnerNameBox() const { return m_nameBox; }

    void setInitialValues() override;
    void updateActions() override;

private:
    void buildControls();
    void loadPartner(const QString& code);
    bool partnerLoadedAsTyped() const;
    QVariant rowBackground(const RowRef& row, int rowIndex) const;

    void EditCodeExit();
    void EditCodeButtonClick();
    void CheckBoxDetailClick();
    void ActionDispDetailExecute();
    void ActionPrintExecute();

    const Names& m_names;
    LedgerComputation m_ledger;
    std::unique_ptr<Dataset> m_partner;
    // The partner of the rows on screen: the print's heading names it even
    // when another partner was loaded into the code field since the display.
    std::unique_ptr<Dataset> m_shownPartner;
    DbText* m_nameBox = nullptr;
    ReportPreview m_preview;
};
