#pragma once

class BenchSuite;
struct BenchContext;

// The print of a long customer ledger: the rows of the busiest customer over
// as many days before the end of the context's month as fill twenty pages,
// laid out and written to a PDF file in the temporary folder.
void addReportCases(BenchSuite& suite, const BenchContext& context);
