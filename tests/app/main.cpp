#include "guardedapplication.h"
#include "uifont.h"

int runMainFormTests(int argc, char** argv);
int runAboutDialogTests(int argc, char** argv);
int runBookStartTests(int argc, char** argv);
int runQtTranslationTests(int argc, char** argv);

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv);
    QApplication::setFont(uiFont());
    int failed = 0;
    failed += runMainFormTests(argc, argv);
    failed += runAboutDialogTests(argc, argv);
    failed += runBookStartTests(argc, argv);
    // Last: the translation stays installed in the process.
    failed += runQtTranslationTests(argc, argv);
    return failed;
}
