#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_stmt;

// One measured operation. It returns a checksum of what it read (a sum of
// amounts, a row count), so that a case and its baseline are seen to produce
// the same numbers before their times are compared.
using BenchFn = std::function<std::int64_t()>;

// A case is a name and a function; where the program's way has a plain-SQL
// equivalent, the baseline is the fastest such SQL for the same numbers, run in
// the same process on the same file.
struct BenchCase {
    std::string name;
    BenchFn run;
    BenchFn baseline;  // optional
    std::string baselineName = "plain SQL";
};

struct BenchTiming {
    double medianMs = 0, minMs = 0, maxMs = 0;
    std::int64_t checksum = 0;
    bool stable = true;  // every call returned the same checksum
};

struct BenchResult {
    std::string name;
    BenchTiming timing;
    std::optional<BenchTiming> baseline;
    std::string baselineName;
    bool checksumsAgree() const
    {
        return timing.stable && (!baseline || (baseline->stable && baseline->checksum == timing.checksum));
    }
};

class BenchSuite {
public:
    void add(BenchCase benchCase) { m_cases.push_back(std::move(benchCase)); }
    const std::vector<BenchCase>& cases() const { return m_cases; }

    // Runs each case whose name contains `filter` (all when empty): one warm-up
    // call, then `reps` timed calls; the baseline likewise, right after it.
    std::vector<BenchResult> run(int reps, const std::string& filter = {},
                                 std::FILE* progress = nullptr) const;

    // Times one function: a warm-up, then `reps` calls.
    static BenchTiming measure(const BenchFn& fn, int reps);
    // The table: case, median, min, max (milliseconds) and the ratio to the baseline.
    static void print(std::FILE* out, const std::vector<BenchResult>& results);

private:
    std::vector<BenchCase> m_cases;
};

// Throws unless the plan of `stmt` (EXPLAIN QUERY PLAN on its own connection)
// names every fragment of `uses` and none of `avoids`: a baseline that quietly
// lost its index after a schema change would otherwise be measured as the
// fastest SQL.
void requirePlan(sqlite3_stmt* stmt, const std::vector<std::string>& uses,
                 const std::vector<std::string>& avoids = {});
