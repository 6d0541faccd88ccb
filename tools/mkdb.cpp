// mkdb SCHEMA OUT: runs the schema script on a new database file and moves it
// into place only when every statement succeeded, so a broken schema never
// leaves a half-built BaseDB.mdb behind.
#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int fail(const std::string& what)
{
    std::fprintf(stderr, "mkdb: %s\n", what.c_str());
    return 1;
}

// Rows a user typed into an existing file: slips and the masters that are not
// shipped with the file.
long long userRows(const std::string& path)
{
    sqlite3* db = nullptr;
    long long rows = 0;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        const char* sql =
            "SELECT name FROM sqlite_schema WHERE type = 'table' AND (name LIKE 't\\_%' ESCAPE '\\' "
            "OR name IN ('m_商品', 'm_商品分類', 'm_顧客', 'm_仕入先', 'm_担当者'))";
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                const std::string count =
                    "SELECT count(*) FROM \"" +
                    std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) + "\"";
                sqlite3_stmt* c = nullptr;
                if (sqlite3_prepare_v2(db, count.c_str(), -1, &c, nullptr) == SQLITE_OK &&
                    sqlite3_step(c) == SQLITE_ROW)
                    rows += sqlite3_column_int64(c, 0);
                sqlite3_finalize(c);
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return rows;
}

// A database file that holds the user's work is never overwritten by a rebuild:
// it is moved aside, with its journal files, under a dated name.
void setAside(const std::string& outPath)
{
    std::FILE* f = std::fopen(outPath.c_str(), "rb");
    if (!f)
        return;
    std::fclose(f);
    const bool keep = userRows(outPath) > 0;
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const std::string from = outPath + suffix;
        if (keep) {
            const std::string to = outPath + "." + stamp + ".bak" + suffix;
            if (std::rename(from.c_str(), to.c_str()) == 0)
                std::fprintf(stderr, "mkdb: kept the existing database as %s\n", to.c_str());
        } else {
            std::remove(from.c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return fail("usage: mkdb SCHEMA.sql OUT.mdb");
    const std::string schemaPath = argv[1];
    const std::string outPath = argv[2];
    const std::string tmpPath = outPath + ".tmp";

    std::ifstream in(schemaPath, std::ios::binary);
    if (!in)
        return fail("cannot read " + schemaPath);
    std::stringstream text;
    text << in.rdbuf();

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
    setAside(outPath);
    if (std::rename(tmpPath.c_str(), outPath.c_str()) != 0)
        return fail("cannot move " + tmpPath + " to " + outPath);
    return 0;
}
