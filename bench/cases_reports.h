#pragma once

#include <cstdint>

class BenchSuite;
struct BenchContext;
class QString;
class Report;

// What a PDF case times: lays `report` out, writes it to `path`, and returns
// what was drawn (pages × 1,000,000 + drawing operations) as the case's result.
// Throws when no file was written.
std::int64_t writeReportPdf(const Report& report, const QString& path);

// The print of a long customer ledger: the rows of the busiest customer over
// as many days before the end of the context's month as fill twenty pages,
// laid out and written to a PDF file in the temporary folder.
void addReportCases(BenchSuite& suite, const BenchContext& context);
