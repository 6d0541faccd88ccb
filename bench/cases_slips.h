#pragma once

class BenchSuite;
struct BenchContext;

// The slip windows' computation on a filled file: drawing the next number,
// opening a saved sales slip with its look-ups and totals, entering and saving
// a new five-line slip in one transaction, and deleting a slip with its lines.
void addSlipCases(BenchSuite& suite, const BenchContext& context);
