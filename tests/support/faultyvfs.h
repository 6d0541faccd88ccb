#pragma once

// An SQLite file system shim for fault tests: while armed, the n-th write to any
// database or journal file fails with the given error (SQLITE_FULL, SQLITE_IOERR),
// as a full disk or a failing device would. It wraps the default file system and
// becomes the default itself, so connections opened while it is installed use it.
namespace FaultyVfs {

void install();
void uninstall();
// Fails the n-th write from now (1 = the next one) and every write after it,
// until disarm().
void failFromWrite(int n, int errorCode);
void disarm();
int writesSeen();

}  // namespace FaultyVfs
