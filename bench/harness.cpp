#include "harness.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

BenchTiming BenchSuite::measure(const BenchFn& fn, int reps)
{
    BenchTiming t;
    t.checksum = fn();  // warm-up: caches filled, statements prepared once
    std::vector<double> ms;
    ms.reserve(size_t(std::max(reps, 1)));
    for (int i = 0; i < std::max(reps, 1); ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::int64_t sum = fn();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        t.stable = t.stable && sum == t.checksum;
    }
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    t.medianMs = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    t.minMs = ms.front();
    t.maxMs = ms.back();
    return t;
}

std::vector<BenchResult> BenchSuite::run(int reps, const std::string& filter, std::FILE* progress) const
{
    std::vector<BenchResult> results;
    for (const BenchCase& c : m_cases) {
        if (!filter.empty() && c.name.find(filter) == std::string::npos)
            continue;
        if (progress) {
            std::fprintf(progress, "  %s ...\n", c.name.c_str());
            std::fflush(progress);
        }
        BenchResult r;
        r.name = c.name;
        r.timing = measure(c.run, reps);
        if (c.baseline) {
            r.baseline = measure(c.baseline, reps);
            r.baselineName = c.baselineName;
        }
        results.push_back(std::move(r));
    }
    return results;
}

void BenchSuite::print(std::FILE* out, const std::vector<BenchResult>& results)
{
    // Names are UTF-8 with Japanese in them; pad by display columns, counting a
    // character outside ASCII as two.
    auto width = [](const std::string& s) {
        int w = 0;
        for (size_t i = 0; i < s.size();) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            const int len = c < 0x80 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
            w += c < 0x80 ? 1 : 2;
            i += size_t(len);
        }
        return w;
    };
    int nameWidth = 4;
    for (const BenchResult& r : results) {
        nameWidth = std::max(nameWidth, width(r.name));
        if (r.baseline)
            nameWidth = std::max(nameWidth, width(r.baselineName) + 4);
    }
    auto row = [&](const std::string& name, const BenchTiming& t, const std::string& tail) {
        std::fprintf(out, "%s%*s %10.3f %10.3f %10.3f  %s\n", name.c_str(), nameWidth - width(name), "",
                     t.medianMs, t.minMs, t.maxMs, tail.c_str());
    };
    std::fprintf(out, "%-*s %10s %10s %10s  %s\n", nameWidth, "case", "median ms", "min", "max", "ratio");
    for (const BenchResult& r : results) {
        std::string ratio;
        if (r.baseline) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.2fx",
                          r.baseline->medianMs > 0 ? r.timing.medianMs / r.baseline->medianMs : 0.0);
            ratio = buf;
            if (!r.checksumsAgree())
                ratio += "  RESULTS DIFFER";
        } else if (!r.timing.stable) {
            ratio = "RESULTS VARY";
        }
        row(r.name, r.timing, ratio);
        if (r.baseline)
            row("    " + r.baselineName, *r.baseline, {});
    }
}

void requirePlan(sqlite3_stmt* stmt, const std::vector<std::string>& uses,
                 const std::vector<std::string>& avoids)
{
    const std::string sql = std::string("EXPLAIN QUERY PLAN ") + sqlite3_sql(stmt);
    sqlite3* db = sqlite3_db_handle(stmt);
    sqlite3_stmt* explain = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &explain, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(db)) + ": " + sql);
    std::string plan;
    while (sqlite3_step(explain) == SQLITE_ROW)
        plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(explain, 3))) + "\n";
    sqlite3_finalize(explain);
    for (const std::string& fragment : uses)
        if (plan.find(fragment) == std::string::npos)
            throw std::runtime_error("the plan does not use " + fragment + ":\n" + plan + "for " +
                                     sqlite3_sql(stmt));
    for (const std::string& fragment : avoids)
        if (plan.find(fragment) != std::string::npos)
            throw std::runtime_error("the plan has " + fragment + ":\n" + plan + "for " + sqlite3_sql(stmt));
}
