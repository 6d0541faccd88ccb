#pragma once

#include <QStringList>

#include <functional>

class QTextStream;
struct ReportDocument;

// corvinta-report: makes a document of the book as CSV or PDF without a
// window, from the same computations, column lists and print layouts the
// windows use, so its CSV equals the window's "CSV出力" byte for byte and its
// PDF the window's print.
//
//     corvinta-report DOCUMENT [options] (--csv FILE | --pdf FILE) [--database PATH]
//
// FILE "-" is standard output. The book is only read.
namespace ReportCommand {

// The exit statuses, for scripts.
enum Status : int {
    Done = 0,
    Failed = 1,    // the book refused a query, or something unforeseen
    Usage = 2,     // unknown document or option, missing value, --csv/--pdf not exactly one
    Input = 3,     // a bad date, year, month, closing day or tab, an unknown code
    Database = 4,  // no book at the path, not a book, a book that needs an upgrade, a damaged book
    Output = 5,    // the file cannot be written (nothing is left of it), is the book's or is no regular file
    Rebuilt = 6,   // check: a kept figure disagreed with the rows and was rebuilt
};

// Runs the command on `args` (the arguments after the program's name): the
// document goes to its file, a message to `err`, --help to `out`. Needs a
// QGuiApplication (PDF measures text in the print face).
int run(const QStringList& args, QTextStream& out, QTextStream& err);

// The text of --help.
QString helpText();

// Called with every print laid out, before it is written: tests compare it
// with the window's print. Null for none.
void setPrintObserver(std::function<void(const ReportDocument&)> observer);

}  // namespace ReportCommand

inline int runReport(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return ReportCommand::run(args, out, err);
}
