// corvinta-bench DB.mdb [--reps N] [--filter TEXT] [--list]: times the program's
// ways of reading the database against the plain SQL for the same numbers.
#include <QGuiApplication>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "cases_accounts.h"
#include "cases_bills.h"
#include "cases_lists.h"
#include "cases_reports.h"
#include "cases_slips.h"
#include "cases_stock.h"
#include "cases_summaries.h"
#include "connection.h"
#include "datacases.h"
#include "harness.h"
#include "statement.h"

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: corvinta-bench DB.mdb [--reps N] [--filter TEXT] [--list]\n"
                 "  DB.mdb is a file made by corvinta-gen. Each case runs once to warm up,\n"
                 "  then N times (default 15); times are in milliseconds.\n");
    return 2;
}

long long rows(Connection& c, const char* table)
{
    Statement s(c, QStringLiteral("SELECT count(*) FROM ") + QString::fromUtf8(table));
    return s.step() ? s.int64(0) : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // The report cases lay out text with the print face and write PDF files,
    // which needs a GUI application; without a display it runs offscreen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString path;
    int reps = 15;
    std::string filter;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--reps" && i + 1 < argc) {
            reps = std::atoi(argv[++i]);
            if (reps < 1)
                return usage();
        } else if (arg == "--filter" && i + 1 < argc) {
            filter = argv[++i];
        } else if (arg == "--list") {
            list = true;
        } else if (!arg.empty() && arg[0] != '-' && path.isEmpty()) {
            path = QString::fromLocal8Bit(argv[i]);
        } else {
            return usage();
        }
    }
    if (path.isEmpty())
        return usage();

    try {
        // One connection stays open for the whole run, as a window's does while
        // its dialogs come and go; it also keeps the WAL file in place.
        Connection holder(path);
        const BenchContext context = BenchContext::choose(path);
        BenchSuite suite;
        addDataCases(suite, context);
        addAccountsCases(suite, context);
        addBillCases(suite, context);
        addReportCases(suite, context);
        addSlipCases(suite, context);
        addStockCases(suite, context);
        addListCases(suite, context);
        addSummaryCases(suite, context);
        if (list) {
            for (const BenchCase& c : suite.cases())
                std::printf("%s\n", c.name.c_str());
            return 0;
        }

        std::printf("database %s: %lld sales slips, %lld lines; SQLite %s\n", qPrintable(path),
                    rows(holder, "t_売上"), rows(holder, "t_売上明細"), sqlite3_libversion());
        std::printf("slip %lld, month %s; %d repetitions after one warm-up\n\n", context.slipNo,
                    qPrintable(context.month.toString(QStringLiteral("yyyy-MM"))), reps);
        const auto results = suite.run(reps, filter, stderr);
        BenchSuite::print(stdout, results);
        for (const BenchResult& r : results)
            if (!r.checksumsAgree())
                return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvinta-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
