#pragma once

#include <QString>

class QWidget;

// Refused input. A refusal is often noticed while the focus is moving (a field
// is left); a modal box opened in the middle of a focus change would run its
// own event loop inside it, so the box waits until the current event is done.
namespace InputError {

// Shows `message` in the error box once the current event is done, then gives
// the focus back to `field` so the user can correct it.
void reportLater(QWidget* field, const QString& message);

}  // namespace InputError
