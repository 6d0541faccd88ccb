#pragma once

class BenchSuite;
struct BenchContext;

// The ledger and balance-list computations: the customer ledger of the busiest
// customer for the context's month with its details and running balance, and
// the receivable and payable lists for that month, each against plain SQL that
// yields the same numbers.
void addAccountsCases(BenchSuite& suite, const BenchContext& context);
