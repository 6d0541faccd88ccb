// corvinta-gen OUT.mdb [--scale F]: a copy of the built BaseDB.mdb filled with
// a deterministic data set for the benchmark and for trying windows on volume.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "generator.h"

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: corvinta-gen OUT.mdb [--scale F]\n"
                 "  Copies %s to OUT.mdb and fills it; scale 1 is ten years of a busy\n"
                 "  small business (250,000 sales slips, about a million lines).\n",
                 CORVINTA_BASEDB_PATH);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out;
    GeneratorOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" && i + 1 < argc) {
            char* end = nullptr;
            options.scale = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(options.scale > 0))
                return usage();
        } else if (!arg.empty() && arg[0] != '-' && out.empty()) {
            out = arg;
        } else {
            return usage();
        }
    }
    if (out.empty())
        return usage();

    namespace fs = std::filesystem;
    const auto started = std::chrono::steady_clock::now();
    sqlite3* db = nullptr;
    try {
        // A journal left beside an older file of the same name would be replayed
        // into the fresh copy.
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            fs::remove(out + suffix);
        fs::copy_file(CORVINTA_BASEDB_PATH, out);
        if (sqlite3_open_v2(out.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("cannot open ") + out + ": " + sqlite3_errmsg(db));

        DataGenerator generator(db, options);
        generator.run();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

        std::printf("%s (scale %g)\n", out.c_str(), options.scale);
        for (const auto& [table, rows] : generator.tableCounts()) {
            // Table names are Japanese: pad by display columns, two per character.
            int columns = 0;
            for (const unsigned char c : table)
                columns += c < 0x80 ? 1 : (c & 0xc0) == 0xc0 ? 2 : 0;
            std::printf("  %s%*s %10lld\n", table.c_str(), 14 - columns, "", rows);
        }
        if (sqlite3_close(db) != SQLITE_OK)
            throw std::runtime_error("cannot close " + out);
        db = nullptr;
        std::printf("generated in %.2f s, %.1f MB\n", seconds, double(fs::file_size(out)) / 1e6);
    } catch (const std::exception& e) {
        sqlite3_close(db);
        std::fprintf(stderr, "corvinta-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
