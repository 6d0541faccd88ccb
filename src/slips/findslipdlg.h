#pragma once

#include <optional>

#include "dataset.h"
#include "functionwindow.h"
#include "slipkind.h"

class DatePicker;
class DbCodeEdit;
class DbGrid;
class DbText;
class QCheckBox;
class QPushButton;

// The slip search dialog of one kind of slip: narrows the saved slips by
// partner and date range, and hands the picked slip's number back to the slip
// window (SelectedSlipNo) when closed with OK. The four named dialogs are this
// one with their kind.
class FindSlipDlg : public FunctionWindow {
    Q_OBJECT

public:
    FindSlipDlg(QWidget* owner, const SlipKind& kind);

    // The number of the slip picked; meaningful after the dialog closed with OK.
    int SelectedSlipNo() const { return m_selectedSlipNo; }

    // Shows the search dialog of `kind` over `owner`; the picked slip number,
    // or nothing when the user cancelled.
    static std::optional<int> pick(QWidget* owner, const SlipKind& kind);

    DbCodeEdit* partnerEdit = nullptr;  // ComboEditCustomer or ComboEditSupplier
    DbText* partnerName = nullptr;      // DBTextCustomerName or DBTextSupplierName
    QCheckBox* CheckBoxFrom = nullptr;
    DatePicker* DatePickerFrom = nullptr;
    QCheckBox* CheckBoxTo = nullptr;
    DatePicker* DatePickerTo = nullptr;
    QPushButton* ButtonFind = nullptr;
    DbGrid* GridResult = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

    Dataset SlipDataSet;
    Dataset PartnerDataSet;  // CustomerDataSet or SupplierDataSet

    void ButtonFindClick();
    void ButtonOKClick();

protected:
    void updateActions() override;

private:
    void partnerEditButtonClick();
    void partnerEditExit();

    const SlipKind& m_kind;
    int m_selectedSlipNo = 0;
};
