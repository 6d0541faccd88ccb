#pragma once

#include "editablelistform.h"

// "単位リスト": the unit list m_単位, edited in its grid.
class TInputUnitForm : public EditableListForm {
    Q_OBJECT

public:
    explicit TInputUnitForm(QWidget* owner);

    Dataset& UnitDataSet;
};
