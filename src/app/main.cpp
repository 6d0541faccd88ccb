#include <QCommandLineParser>
#include <QTimer>

#include "connection.h"
#include "focusframestyle.h"
#include "guardedapplication.h"
#include "mainform.h"
#include "qttranslation.h"
#include "uifont.h"
#include "windowregistry.h"

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    QApplication::setFont(uiFont());
    installFocusFrameStyle();
    installQtTranslation();

    // Without --database the book is BaseDB.mdb beside the executable.
    QCommandLineParser options;
    options.addHelpOption();
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("Opens the book in FILE instead of BaseDB.mdb beside the program."),
        QStringLiteral("FILE"));
    options.addOption(database);
    options.process(app);
    if (options.isSet(database))
        chooseDatabaseFile(options.value(database));

    WindowRegistry windows;
    registerWindows(windows);
    TMainForm mainForm(windows);
    mainForm.show();
    // The book is checked (and upgraded, and backed up) once the window is up,
    // so a message about it has the main window behind it.
    QTimer::singleShot(0, &mainForm, [&mainForm] { mainForm.openBook(); });
    return app.exec();
}
