#include "faultyvfs.h"

#include <sqlite3.h>

#include <cstring>

namespace {

struct State {
    sqlite3_vfs* base = nullptr;
    sqlite3_vfs vfs{};
    int failAt = 0;  // 0: disarmed
    int errorCode = SQLITE_IOERR;
    int writes = 0;
};

State& state()
{
    static State s;
    return s;
}

struct ShimFile {
    sqlite3_file base;  // must come first: SQLite sees this struct as a sqlite3_file
    sqlite3_file* real;
};

sqlite3_file* realOf(sqlite3_file* f)
{
    return reinterpret_cast<ShimFile*>(f)->real;
}

int shimClose(sqlite3_file* f)
{
    sqlite3_file* real = realOf(f);
    const int rc = real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
    sqlite3_free(real);
    return rc;
}
int shimRead(sqlite3_file* f, void* p, int n, sqlite3_int64 o)
{
    return realOf(f)->pMethods->xRead(realOf(f), p, n, o);
}
int shimWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 o)
{
    State& s = state();
    ++s.writes;
    if (s.failAt > 0 && s.writes >= s.failAt)
        return s.errorCode;
    return realOf(f)->pMethods->xWrite(realOf(f), p, n, o);
}
int shimTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int shimSync(sqlite3_file* f, int flags)
{
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int shimFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int shimLock(sqlite3_file* f, int l)
{
    return realOf(f)->pMethods->xLock(realOf(f), l);
}
int shimUnlock(sqlite3_file* f, int l)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), l);
}
int shimCheckReservedLock(sqlite3_file* f, int* out)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int shimFileControl(sqlite3_file* f, int op, void* arg)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int shimSectorSize(sqlite3_file* f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int shimDeviceCharacteristics(sqlite3_file* f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}
int shimShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, out);
}
int shimShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}
void shimShmBarrier(sqlite3_file* f)
{
    realOf(f)->pMethods->xShmBarrier(realOf(f));
}
int shimShmUnmap(sqlite3_file* f, int deleteFlag)
{
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}

const sqlite3_io_methods kMethods = {
    2,
    shimClose,
    shimRead,
    shimWrite,
    shimTruncate,
    shimSync,
    shimFileSize,
    shimLock,
    shimUnlock,
    shimCheckReservedLock,
    shimFileControl,
    shimSectorSize,
    shimDeviceCharacteristics,
    shimShmMap,
    shimShmLock,
    shimShmBarrier,
    shimShmUnmap,
    nullptr,
    nullptr,
};

int shimOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    State& s = state();
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->base.pMethods = nullptr;
    shim->real = static_cast<sqlite3_file*>(sqlite3_malloc(s.base->szOsFile));
    if (!shim->real)
        return SQLITE_NOMEM;
    std::memset(shim->real, 0, size_t(s.base->szOsFile));
    const int rc = s.base->xOpen(s.base, name, shim->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        sqlite3_free(shim->real);
        shim->real = nullptr;
        return rc;
    }
    shim->base.pMethods = &kMethods;
    return SQLITE_OK;
}

int shimDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    return state().base->xDelete(state().base, name, syncDir);
}
int shimAccess(sqlite3_vfs*, const char* name, int flags, int* out)
{
    return state().base->xAccess(state().base, name, flags, out);
}
int shimFullPathname(sqlite3_vfs*, const char* name, int n, char* out)
{
    return state().base->xFullPathname(state().base, name, n, out);
}
int shimRandomness(sqlite3_vfs*, int n, char* out)
{
    return state().base->xRandomness(state().base, n, out);
}
int shimSleep(sqlite3_vfs*, int us)
{
    return state().base->xSleep(state().base, us);
}
int shimCurrentTime(sqlite3_vfs*, double* out)
{
    return state().base->xCurrentTime(state().base, out);
}
int shimGetLastError(sqlite3_vfs*, int n, char* out)
{
    return state().base->xGetLastError(state().base, n, out);
}
int shimCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out)
{
    return state().base->xCurrentTimeInt64(state().base, out);
}

}  // namespace

namespace FaultyVfs {

void install()
{
    State& s = state();
    if (s.base)
        return;
    s.base = sqlite3_vfs_find(nullptr);
    s.vfs = sqlite3_vfs{};
    s.vfs.iVersion = 2;
    s.vfs.szOsFile = int(sizeof(ShimFile));
    s.vfs.mxPathname = s.base->mxPathname;
    s.vfs.zName = "corvinta-faulty";
    s.vfs.xOpen = shimOpen;
    s.vfs.xDelete = shimDelete;
    s.vfs.xAccess = shimAccess;
    s.vfs.xFullPathname = shimFullPathname;
    s.vfs.xRandomness = shimRandomness;
    s.vfs.xSleep = shimSleep;
    s.vfs.xCurrentTime = shimCurrentTime;
    s.vfs.xGetLastError = shimGetLastError;
    s.vfs.xCurrentTimeInt64 = shimCurrentTimeInt64;
    sqlite3_vfs_register(&s.vfs, 1);
}

void uninstall()
{
    State& s = state();
    if (!s.base)
        return;
    sqlite3_vfs_unregister(&s.vfs);
    sqlite3_vfs_register(s.base, 1);
    s.base = nullptr;
    disarm();
}

void failFromWrite(int n, int errorCode)
{
    state().writes = 0;
    state().failAt = n;
    state().errorCode = errorCode;
}

void disarm()
{
    state().failAt = 0;
    state().writes = 0;
}

int writesSeen()
{
    return state().writes;
}

}  // namespace FaultyVfs
