#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include "book.h"
#include "connection.h"
#include "dberror.h"
#include "focusframestyle.h"
#include "guardedapplication.h"
#include "mainform.h"
#include "messageboxes.h"
#include "qttranslation.h"
#include "uifont.h"
#include "windowregistry.h"

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvinta"));  // ~/.local/share/Corvinta
    QApplication::setFont(uiFont());
    installFocusFrameStyle();
    installQtTranslation();

    // Without --database the book is BaseDB.mdb beside the executable, or in the
    // user's data folder when the program is installed.
    QCommandLineParser options;
    options.addHelpOption();
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("Opens the book in FILE instead of BaseDB.mdb beside the program."),
        QStringLiteral("FILE"));
    options.addOption(database);
    options.process(app);
    if (options.isSet(database)) {
        chooseDatabaseFile(options.value(database));
    } else {
        // An installed program keeps the book in the user's data folder and
        // makes a new one there only when the user says so.
        const QString book = Book::defaultBookPath();
        if (!QFileInfo::exists(book)) {
            if (QMessageBox::question(nullptr, QStringLiteral("Corvinta"),
                                      QStringLiteral("帳簿 %1 がありません。\n新しい帳簿を作成しますか？")
                                          .arg(QDir::toNativeSeparators(book))) != QMessageBox::Yes)
                return 0;
            try {
                Book::createBook(book);  // from the installed empty book
            } catch (const DbError& e) {
                MessageBoxes::error(nullptr, e.message());
                return 1;
            }
        }
        chooseDatabaseFile(book);
    }

    WindowRegistry windows;
    registerWindows(windows);
    TMainForm mainForm(windows);
    mainForm.show();
    // The book is checked (and upgraded, and backed up) once the window is up,
    // so a message about it has the main window behind it.
    QTimer::singleShot(0, &mainForm, [&mainForm] { mainForm.openBook(); });
    return app.exec();
}
