#pragma once

class BenchSuite;
struct BenchContext;

// The bills: the list of one closing day, the lines of one bill, and the
// print of every bill of a closing day to PDF.
void addBillCases(BenchSuite& suite, const BenchContext& context);
