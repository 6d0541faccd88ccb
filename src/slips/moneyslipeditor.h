#pragma once

#include "money.h"
#include "slipeditor.h"

// A receipt or payment slip: lines of amounts, each with a kind from the
// kind list ("10" for a new line) and a remark. Every such slip needs a
// registered partner.
class MoneySlipEditor : public SlipEditor {
public:
    MoneySlipEditor(Connection& connection, const SlipKind& kind);

    Dataset CategoDataSet;  // ReceiveCategoDataSet or PaymentCategoDataSet

    void openFixedLists() override;
    // The sum of 金額 over the confirmed lines (not a line still being typed; a
    // line being changed as it was); an emptied amount counts 0. Throws
    // MoneyOverflow when it does not fit.
    Money total() const { return sumOf(DetailDataSet.confirmedClone()); }
    bool partnerRequired() const override { return true; }

protected:
    void checkLines() override;
    void lineInserted() override;
    void checkLineBeforePost() override;

private:
    static Money sumOf(Cursor lines);
};
