#pragma once

class BenchSuite;
struct BenchContext;

// The sales detail list's three arrangements over the context's month and over
// its whole year, against plain SQL for the same counts and sums; the purchase
// list for the month; the month's by-slip list laid out and written as PDF.
// With CORVINTA_BENCH_TEN_YEARS set, also the three arrangements over every slip.
void addListCases(BenchSuite& suite, const BenchContext& context);
