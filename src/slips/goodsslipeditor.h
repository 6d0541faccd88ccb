#pragma once

#include <QHash>
#include <QVariant>

#include "linetax.h"
#include "money.h"
#include "slipeditor.h"

// A sales or purchase slip: a class ("10" credit, "20" cash), a staff member,
// and item lines with their consumption tax. A line's tax per unit follows
// LineTax from the rate in force on the slip date, each time the line's tax
// class, price or quantity receives a value; choosing an item copies its name,
// unit, category, tax class and price (the selling price on sales, the cost on
// purchases) and resets the quantity to 1.
class GoodsSlipEditor : public SlipEditor {
public:
    GoodsSlipEditor(Connection& connection, const SlipKind& kind);

    Dataset ClassDataSet;
    Dataset EmployeeDataSet;
    Dataset ItemCategoDataSet;
    Dataset TaxCategoDataSet;
    Dataset ItemDataSet;
    Dataset TaxDataSet;

    // The slip classes, the item categories and the tax classes.
    void openFixedLists() override;
    void refreshEmployee(const QString& code);
    // The rate row in force on the slip date.
    void refreshTaxRate();
    Money rate() const { return LineTax::rateOf(TaxDataSet); }
    // Over the confirmed lines (not a line still being typed; a line being
    // changed as it was); an emptied price or quantity counts 0.
    LineTax::SlipTotals totals() const { return LineTax::SlipTotals::of(DetailDataSet.confirmedClone()); }

    // Only a credit slip needs a registered partner.
    bool partnerRequired() const override;

protected:
    void checkLines() override;
    void closeLookups() override;
    void headerFieldChanged(const QString& field) override;
    void lineInserted() override;
    void checkLineBeforePost() override;

private:
    void lineFieldChanged(const QString& field);
    void copyItem(const QString& code);
    void computeTax(const QString& changedField);
    void rememberLine();

    // The current line's tax class, price and quantity as last accepted: a value
    // that would make the line too large to store is refused and these come back.
    QHash<QString, QVariant> m_accepted;
};
