#pragma once

#include <QDialog>
#include <QString>

#include <optional>

#include "modal.h"

// Shows the lookup dialog `Dlg` modally over `owner` and returns the code the
// user confirmed, or nothing when the dialog was cancelled. The dialog is
// released on every path.
template <class Dlg>
std::optional<QString> lookUpCode(QWidget* owner)
{
    std::optional<QString> code;
    openModalWith<Dlg>(
        owner, [](Dlg&) {},
        [&](Dlg& dlg, int result) {
            if (result == QDialog::Accepted)
                code = dlg.SelectedCode();
        });
    return code;
}
