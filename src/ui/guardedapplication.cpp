#include "guardedapplication.h"

#include "errorreport.h"

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException(activeWindow());
        return false;
    }
}
