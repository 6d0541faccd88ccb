#pragma once

class BenchSuite;
struct BenchContext;

// The stock list over all items for the context's month (and for a period
// from the middle of one month to the middle of the next), the ledger of the
// busiest item over the year ending with that month, each against the fastest
// plain SQL over the lines for the same numbers, and the whole stock list
// printed to PDF.
void addStockCases(BenchSuite& suite, const BenchContext& context);
