#include "guardedapplication.h"

int runFunctionWindowTests(int argc, char** argv);
int runUiHelperTests(int argc, char** argv);

// One executable for the folder; the application object is the program's own,
// so its last net for escaped exceptions is under test too.
int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv);
    int failed = 0;
    failed += runFunctionWindowTests(argc, argv);
    failed += runUiHelperTests(argc, argv);
    return failed;
}
