#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "reportcommand.h"

int main(int argc, char* argv[])
{
    // PDF needs the print face and QtGui, never a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvinta"));  // the book in ~/.local/share/Corvinta
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runReport(app.arguments().mid(1), out, err);
}
