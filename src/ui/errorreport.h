#pragma once

#include <QString>

#include <functional>

class QWidget;

// The top-level error report: whatever a guarded piece of work throws ends that
// piece of work and is shown in the error box (error icon, the error's message).
// Qt's event loop is not exception-safe, so every slot, action handler and
// creation step of a window runs through runGuarded.

// Runs `work`; on an exception shows the error box over `context` and returns
// false. Returns true when `work` finished normally.
bool runGuarded(QWidget* context, const std::function<void()>& work);

// The message of the exception being handled (call inside a catch block):
// DbError's own message, std::exception::what(), or a generic text.
QString currentExceptionMessage();

// Shows the error box for the exception being handled (call inside a catch block).
void reportCurrentException(QWidget* context);
