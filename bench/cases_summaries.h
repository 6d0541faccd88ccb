#pragma once

class BenchSuite;
struct BenchContext;

// The monthly sales summary (three tabs) for the context's month and the
// yearly sales summary (three tabs) for its year, each against the fastest
// plain SQL for the same numbers: one pass over the period's slips for the
// customer and staff tables, one over its lines for the item table, spread
// over the days or months in C++.
void addSummaryCases(BenchSuite& suite, const BenchContext& context);
