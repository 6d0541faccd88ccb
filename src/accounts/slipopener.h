#pragma once

#include <QString>

#include "dbcodeedit.h"
#include "modal.h"

// Opens a slip window on one slip, modally over `owner`: the number goes into
// the window's slip-number field as text, OpenSlip shows that slip (or starts a
// new one with that number when none has it), and the window is released when
// it closes, also after an error.
using SlipOpener = void (*)(QWidget* owner, const QString& slipNo);

template <class W>
void openSlipWindow(QWidget* owner, const QString& slipNo)
{
    openModalWith<W>(
        owner,
        [&](W& w) {
            w.EditCode->setText(slipNo);
            w.OpenSlip();
        },
        [](W&, int) {});
}
