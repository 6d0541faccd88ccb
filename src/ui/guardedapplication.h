#pragma once

#include <QApplication>

// The application object with the last net of the error report: an exception
// that escapes an event handler ends that event with the error box instead of
// ending the program. Windows catch their own errors first (runGuarded); this
// only catches what slipped past them.
class GuardedApplication : public QApplication {
    Q_OBJECT

public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;
};
