// mkdb SCHEMA OUT: runs the schema script on a new database file and moves it
// into place only when every statement succeeded, so a broken schema never
// leaves a half-built file behind. OUT is the build's own fresh file, never a
// user's book (the build lays a copy of it only where no book exists).
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int fail(const std::string& what)
{
    std::fprintf(stderr, "mkdb: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return fail("usage: mkdb SCHEMA.sql [MORE.sql ...] OUT.mdb");
    const std::string schemaPath = argv[1];
    const std::string outPath = argv[argc - 1];
    const std::string tmpPath = outPath + ".tmp";

    // The scripts run one after the other, as one.
    std::stringstream text;
    for (int i = 1; i < argc - 1; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in)
            return fail(std::string("cannot read ") + argv[i]);
        text << in.rdbuf() << "\n";
    }

    std::remove(tmpPath.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(tmpPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return fail("cannot create " + tmpPath + ": " + msg);
    }
    char* err = nullptr;
    const std::string script = "PRAGMA foreign_keys=ON;\n" + text.str();
    int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &err);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL; VACUUM;", nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const std::string msg = err ? err : sqlite3_errmsg(db);
        sqlite3_free(err);
        sqlite3_close(db);
        std::remove(tmpPath.c_str());
        return fail(schemaPath + ": " + msg);
    }
    if (sqlite3_close(db) != SQLITE_OK)
        return fail("cannot close " + tmpPath);
    if (std::rename(tmpPath.c_str(), outPath.c_str()) != 0)
        return fail("cannot move " + tmpPath + " to " + outPath);
    return 0;
}
