#pragma once

#include "editablelistform.h"

class DecimalCellDelegate;

// "消費税設定": the consumption-tax rates m_税率 by the day they apply from,
// edited in their grid. The slips find the rate in force with
// LineTax::rateInForce.
class TInputTaxForm : public EditableListForm {
    Q_OBJECT

public:
    explicit TInputTaxForm(QWidget* owner);

    Dataset& TaxDataSet;
    // The rate column: the rate as the plain fraction it is (0.05).
    DecimalCellDelegate* RateDelegate;
};
