#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "reportcommand.h"

namespace {

QtMessageHandler qtHandler = nullptr;

// Run from cron or a script there is often no runtime folder: Qt's notice
// about it says nothing about the document and would clutter every run's
// stderr, which scripts read for the command's own messages.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    if (qtHandler)
        qtHandler(type, context, message);
    else
        fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char* argv[])
{
    // PDF needs the print face and QtGui, never a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtHandler = qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvinta"));  // the book in ~/.local/share/Corvinta
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runReport(app.arguments().mid(1), out, err);
}
