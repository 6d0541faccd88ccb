#pragma once

#include <QDate>
#include <QString>

#include <functional>
#include <memory>

#include "dataset.h"
#include "functionwindow.h"
#include "itemledgercomputation.h"

class DatePicker;
class PeriodRow;
class DbCodeEdit;
class DbGrid;
class DbText;
class QPushButton;
class Report;

// The item ledger ("商品元帳"): one item picked by its code, a period, and
// every purchase and sale of the item over it with the running stock.
class TLedgerItemForm : public FunctionWindow {
    Q_OBJECT

public:
    explicit TLedgerItemForm(QWidget* owner);

    // How "印刷" shows the prepared layout: the modal print preview, unless a
    // test looks at the layout instead.
    using ReportPreview = std::function<int(QWidget* owner, const Report& report)>;

    DbCodeEdit* const EditCode;

private:
    PeriodRow* const m_periodRow;  // owns the two pickers; declared first, made first

public:
    DatePicker* const JvDatePickerEditFrom;
    DatePicker* const JvDatePickerEditTo;
    QPushButton* const ButtonDisp;
    DbGrid* const GridLedger;
    DbText* const DBTextItemName;
    QAction* ActionDispDetail = nullptr;
    QAction* ActionPrint = nullptr;
    QAction* ActionClose = nullptr;

    Dataset& LedgerDataSet() const { return m_ledger.dataset(); }
    // The item loaded from the code field.
    Dataset& ItemDataSet() const { return *m_item; }

    // Shows the ledger of the loaded item over the pickers' period; the pickers
    // exchange their dates first when "to" is before "from".
    void BuildLedger();
    // What the stock list does to open the ledger of one of its rows: the
    // pickers take the period, the code field and the item the code, and the
    // ledger is displayed. An error is reported and the window still opens.
    void openOnItem(const QString& code, const QDate& from, const QDate& to);

    QString PeriodFromText() const { return m_ledger.PeriodFromText(); }
    QString PeriodToText() const { return m_ledger.PeriodToText(); }

    void setReportPreview(ReportPreview preview) { m_preview = std::move(preview); }

    // What the window prints and writes, without a window: the print of the
    // last build (the item heading from `item`'s current row, the period), and
    // the name "CSV出力" proposes.
    static std::unique_ptr<Report> makePrint(const ItemLedgerComputation& ledger, Dataset& item);
    static QString fileName(const QString& itemCode, const ItemLedgerComputation& ledger);

protected:
    void setInitialValues() override;
    void updateActions() override;

private:
    void buildControls();
    void loadItem(const QString& code);
    bool itemLoadedAsTyped() const;

    void EditCodeExit();
    void EditCodeButtonClick();
    void ActionDispDetailExecute();
    void ActionPrintExecute();

    ItemLedgerComputation m_ledger;
    std::unique_ptr<Dataset> m_item;
    // The item of the rows on screen: the print's heading names it even when
    // another item was loaded into the code field since the display.
    std::unique_ptr<Dataset> m_shownItem;
    ReportPreview m_preview;
};
