#include "inputerror.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "messageboxes.h"

namespace InputError {

void reportLater(QWidget* field, const QString& message)
{
    QPointer<QWidget> target(field);
    QTimer::singleShot(0, field, [target, message] {
        if (!target)
            return;
        MessageBoxes::error(target->window(), message);
        if (target && target->isEnabled() && target->isVisible())
            target->setFocus(Qt::OtherFocusReason);
    });
}

}  // namespace InputError
