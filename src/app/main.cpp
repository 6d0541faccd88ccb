#include "guardedapplication.h"
#include "mainform.h"
#include "qttranslation.h"
#include "uifont.h"
#include "windowregistry.h"

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    QApplication::setFont(uiFont());
    installQtTranslation();

    WindowRegistry windows;
    registerWindows(windows);
    TMainForm mainForm(windows);
    mainForm.show();
    return app.exec();
}
