#pragma once

#include "dbedit.h"

// A code field with an ellipsis button: the window opens its lookup dialog when
// the button is clicked (or Alt+Down / F4 is pressed in the field) and puts the
// chosen code in with setText(), then moves the focus on; leaving the field
// stores the code. Bound or free like DbEdit (a master editor's EditCode is free).
//
//     connect(EditCode, &DbCodeEdit::buttonClicked, this,
//             [this] { runGuarded([this] { EditCodeButtonClick(); }); });
//     connect(EditCode, &DbCodeEdit::exited, this,
//             [this] { runGuarded([this] { EditCodeExit(); }); });
class DbCodeEdit : public DbEdit {
    Q_OBJECT

public:
    explicit DbCodeEdit(QWidget* parent = nullptr);

    // What the button does, as if clicked: the field takes the focus first, so
    // that leaving it afterwards stores the chosen code.
    void clickButton();

signals:
    void buttonClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
