#include "reportcommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QTextStream>

#include <map>
#include <stdexcept>

#include "accountspayablelistform.h"
#include "accountsreceivablelistform.h"
#include "balancelistform.h"
#include "balancelistrptform.h"
#include "billissueform.h"
#include "book.h"
#include "bookcheck.h"
#include "bookfiles.h"
#include "buyingdetaillistform.h"
#include "connection.h"
#include "csvwriter.h"
#include "dataset.h"
#include "datasetmodel.h"
#include "dberror.h"
#include "detaillisttab.h"
#include "itemstocklistform.h"
#include "ledgercustomerform.h"
#include "ledgeritemform.h"
#include "ledgerrptform.h"
#include "ledgersupplierform.h"
#include "report.h"
#include "reportpainter.h"
#include "salesdetaillistform.h"
#include "summaryform.h"
#include "summaryprint.h"

namespace ReportCommand {
namespace {

// A refusal with its exit status and the message for stderr.
struct Refusal {
    Status status;
    QString message;
};

[[noreturn]] void refuse(Status status, const QString& message)
{
    throw Refusal{status, message};
}

// The inputs a document may take besides the output and the book.
enum Option : unsigned {
    Code = 1,
    From = 2,
    To = 4,
    Year = 8,
    Month = 16,
    ClosingDay = 32,
    Tab = 64,
};

struct OptionName {
    Option option;
    const char* name;
    const char* value;  // in --help
};
constexpr OptionName kInputs[] = {
    {Code, "code", "CODE"}, {From, "from", "DATE"}, {To, "to", "DATE"},
    {Year, "year", "YYYY"}, {Month, "month", "MM"}, {ClosingDay, "closing-day", "DAY"},
    {Tab, "tab", "TAB"},
};

// What was asked for, checked.
struct Inputs {
    QString code;
    QDate from, to;
    QString year;
    int month = 0;
    int closingDay = BillComputation::MonthEnd;
    int tab = 0;
};

// Where the document goes: the CSV of a grid's model or the PDF of a print,
// into a file or, for "-", to standard output.
class Sink {
public:
    Sink(bool pdf, QString path, QString book, QTextStream& out)
        : m_pdf(pdf), m_path(std::move(path)), m_book(std::move(book)), m_out(out)
    {
    }
    bool pdf() const { return m_pdf; }
    bool toOutput() const { return m_path == QStringLiteral("-"); }

    // `proposed`: the name "CSV出力" proposes, used when the path is a folder.
    void csv(const DatasetModel& model, const QString& proposed) const
    {
        const QString path = target(proposed);
        write(path, CsvWriter::fromModel(model));
    }

    // `rows`: the list the print walks; like the window's "印刷", nothing is
    // printed without a row.
    void print(const Report& report, const QString& proposed, const Dataset& rows) const;

private:
    // The file to write, refused before anything is written when it is one of
    // the book's files or not a regular file.
    QString target(const QString& proposed) const
    {
        if (toOutput())
            return m_path;
        QString path = m_path;
        if (QFileInfo(m_path).isDir()) {
            QString name = proposed;
            if (m_pdf)
                name = QFileInfo(proposed).completeBaseName() + QStringLiteral(".pdf");
            path = QDir(m_path).filePath(name);
        }
        if (const QString why = Book::outputRefusal(m_book, path); !why.isEmpty())
            refuse(Output, why);
        return path;
    }

    // Whole or not at all: a file is replaced only when the new one is complete.
    void write(const QString& path, const QByteArray& bytes) const
    {
        if (path == QStringLiteral("-")) {
            m_out.flush();
            if (QIODevice* device = m_out.device()) {
                if (device->write(bytes) != bytes.size())
                    refuse(Output, QStringLiteral("標準出力に書き込めません: %1").arg(device->errorString()));
            } else {
                // The byte-order mark stays: the text is the file's.
                QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
                m_out << (m_pdf ? QString::fromLatin1(bytes) : QString(utf8(bytes)));
            }
            return;
        }
        try {
            CsvWriter::save(path, bytes);
        } catch (const std::runtime_error& e) {
            refuse(Output, QString::fromUtf8(e.what()));
        }
    }

    bool m_pdf;
    QString m_path;
    QString m_book;
    QTextStream& m_out;
};

std::function<void(const ReportDocument&)>& printObserver()
{
    static std::function<void(const ReportDocument&)> observer;
    return observer;
}

void Sink::print(const Report& report, const QString& proposed, const Dataset& rows) const
{
    if (!rows.isOpen() || rows.isEmpty())
        refuse(Input, QStringLiteral("この条件では印刷するものがありません。"));
    const ReportDocument document = report.paginate();
    if (printObserver())
        printObserver()(document);
    if (document.pages.empty())
        refuse(Input, QStringLiteral("この条件では印刷するものがありません。"));
    const QString path = target(proposed);
    // Drawn into a scratch file first, then put in place whole as a CSV is
    // (CsvWriter::save), so a failure leaves no partial file and an older file
    // as it was.
    QTemporaryFile scratch(QDir::temp().filePath(QStringLiteral("corvinta-report-XXXXXX.pdf")));
    if (!scratch.open())
        refuse(Output, QStringLiteral("一時ファイルを作れません: %1").arg(scratch.errorString()));
    scratch.close();
    try {
        writePdf(document, scratch.fileName());
    } catch (const ReportError& e) {
        refuse(Output, QStringLiteral("ファイル %1 に書き込めません: %2")
                           .arg(QDir::toNativeSeparators(path), e.message()));
    }
    QFile drawn(scratch.fileName());
    if (!drawn.open(QIODevice::ReadOnly))
        refuse(Output, QStringLiteral("一時ファイルを読めません: %1").arg(drawn.errorString()));
    write(path, drawn.readAll());
}

struct Job {
    Connection& connection;
    const Inputs& in;
    const Sink& sink;
};

// The master row of `code` (bound as :Code), refused when there is none.
std::unique_ptr<Dataset> masterRow(Connection& connection, const QString& query, const QString& codeColumn,
                                   const QString& code)
{
    auto row = std::make_unique<Dataset>(connection, query);
    row->setParam(QStringLiteral("Code"), code);
    row->open();
    if (row->isEmpty())
        refuse(Input, QStringLiteral("%1「%2」は登録されていません。").arg(codeColumn, code));
    return row;
}

void ledger(const Job& job, const LedgerForm::Names& names)
{
    const PartnerSide& side = *names.ledger->side;
    const std::unique_ptr<Dataset> partner =
        masterRow(job.connection, side.rowByCodeQuery(), side.codeColumn, job.in.code);
    LedgerComputation ledger(job.connection, *names.ledger);
    ledger.build(job.in.code, job.in.from, job.in.to);
    const QString name = LedgerForm::fileName(names, job.in.code, ledger);
    if (job.sink.pdf()) {
        job.sink.print(*LedgerForm::makePrint(names, ledger, *partner), name, ledger.dataset());
    } else {
        const DatasetModel model(ledger.dataset(), LedgerForm::columns(names));
        job.sink.csv(model, name);
    }
}

void balanceList(const Job& job, const BalanceListForm::Names& names)
{
    BalanceListComputation list(job.connection, *names.list);
    list.build(job.in.from, job.in.to);
    const QString name = BalanceListForm::fileName(names, list);
    if (job.sink.pdf()) {
        job.sink.print(*BalanceListForm::makePrint(names, list), name, list.dataset());
    } else {
        const DatasetModel model(list.dataset(), BalanceListForm::columns(names));
        job.sink.csv(model, name);
    }
}

void bills(const Job& job)
{
    BillComputation bills(job.connection);
    bills.build(BillComputation::yearFromText(job.in.year), job.in.month, job.in.closingDay);
    const QString name = TBillIssueForm::fileName(bills);
    if (job.sink.pdf()) {
        const std::unique_ptr<Dataset> company = BillComputation::companyDataset(job.connection);
        TBillIssueForm::printBills(bills, *company,
                                   [&](const Report& report) { job.sink.print(report, name, bills.list()); });
    } else {
        const DatasetModel model(bills.list(), BillComputation::listColumns());
        job.sink.csv(model, name);
    }
}

void stockList(const Job& job)
{
    StockListComputation list(job.connection);
    list.build(job.in.from, job.in.to);
    const QString name = TItemStockListForm::fileName(list);
    if (job.sink.pdf()) {
        job.sink.print(*TItemStockListForm::makePrint(list), name, list.dataset());
    } else {
        const DatasetModel model(list.dataset(), StockListComputation::columns());
        job.sink.csv(model, name);
    }
}

void itemLedger(const Job& job)
{
    const std::unique_ptr<Dataset> item = masterRow(job.connection, ItemLedgerComputation::itemQuery(),
                                                    QStringLiteral("商品コード"), job.in.code);
    ItemLedgerComputation ledger(job.connection);
    ledger.build(job.in.code, job.in.from, job.in.to);
    const QString name = TLedgerItemForm::fileName(job.in.code, ledger);
    if (job.sink.pdf()) {
        job.sink.print(*TLedgerItemForm::makePrint(ledger, *item), name, ledger.dataset());
    } else {
        const DatasetModel model(ledger.dataset(), ItemLedgerComputation::columns());
        job.sink.csv(model, name);
    }
}

void detailList(const Job& job, const PartnerSide& side, const DetailListTab::Names& names)
{
    DetailList list(job.connection, side, names.arrangement);
    const Period period = Period::ordered(job.in.from, job.in.to);
    list.build(period);
    const QString name = DetailListTab::fileName(names.printTitle, period);
    if (job.sink.pdf()) {
        job.sink.print(*DetailListTab::makePrint(list, names.printTitle, period), name, list.dataset());
    } else {
        const DatasetModel model(list.dataset(), DetailList::columns(side, names.arrangement));
        job.sink.csv(model, name);
    }
}

void summary(const Job& job, const SummaryForm::Names& names)
{
    const SummaryGroup& group = *names.tabs.at(std::size_t(job.in.tab)).group;
    const Period period =
        SummaryComputation::periodOf(job.in.year, names.bucket == SummaryBucket::Day ? job.in.month : 0);
    SummaryComputation table(job.connection, group, names.bucket);
    table.build(period);
    const QString name = SummaryForm::fileName(names, job.in.tab, period);
    if (job.sink.pdf()) {
        job.sink.print(*summaryReport(names.caption, table, period), name, table.dataset());
    } else {
        // The day columns titled with their weekdays, as the window titles them.
        const DatasetModel model(table.dataset(), SummaryPrint::columns(group, names.bucket, period));
        job.sink.csv(model, name);
    }
}

struct TabName {
    QString caption;  // 商品別
    QString alias;    // by-item
};

struct Document {
    QString name;   // customer-ledger
    QString title;  // 顧客元帳
    unsigned options;
    std::vector<TabName> tabs;
    std::function<void(const Job&)> make;
    enum class Defaults { Month, Today, BillMonth, SummaryPeriod } defaults;
};

TabName tabOf(const QString& caption)
{
    static const std::map<QString, QString> aliases{
        {QStringLiteral("伝票別"), QStringLiteral("by-slip")},
        {QStringLiteral("商品別"), QStringLiteral("by-item")},
        {QStringLiteral("顧客別"), QStringLiteral("by-customer")},
        {QStringLiteral("担当者別"), QStringLiteral("by-staff")},
        {QStringLiteral("仕入先別"), QStringLiteral("by-supplier")},
    };
    const auto it = aliases.find(caption);
    return {caption, it == aliases.end() ? QString() : it->second};
}

Document summaryDocument(const char* name, const SummaryForm::Names& names)
{
    Document d{QLatin1String(name), names.caption, Year, {}, {}, Document::Defaults::SummaryPeriod};
    if (names.bucket == SummaryBucket::Day)
        d.options |= Month;
    if (names.tabs.size() > 1) {
        d.options |= Tab;
        for (const SummaryForm::Tab& tab : names.tabs)
            d.tabs.push_back(tabOf(tab.group->caption));
    }
    d.make = [&names](const Job& job) { summary(job, names); };
    return d;
}

const std::vector<Document>& documents()
{
    using D = Document::Defaults;
    static const std::vector<Document> table = [] {
        const auto& customer = TLedgerCustomerForm::names();
        const auto& supplier = TLedgerSupplierForm::names();
        const auto& receivable = TAccountsReceivableListForm::names();
        const auto& payable = TAccountsPayableListForm::names();
        std::vector<Document> t{
            {"customer-ledger",
             customer.caption,
             Code | From | To,
             {},
             [&customer](const Job& j) { ledger(j, customer); },
             D::Month},
            {"supplier-ledger",
             supplier.caption,
             Code | From | To,
             {},
             [&supplier](const Job& j) { ledger(j, supplier); },
             D::Month},
            {"receivable-list",
             receivable.caption,
             From | To,
             {},
             [&receivable](const Job& j) { balanceList(j, receivable); },
             D::Month},
            {"payable-list",
             payable.caption,
             From | To,
             {},
             [&payable](const Job& j) { balanceList(j, payable); },
             D::Month},
            {"bills", BillComputation::Title, Year | Month | ClosingDay, {}, bills, D::BillMonth},
            {"stock-list", StockListComputation::Title, From | To, {}, stockList, D::Month},
            {"item-ledger", ItemLedgerComputation::Title, Code | From | To, {}, itemLedger, D::Month},
        };
        Document sales{"sales-detail", QStringLiteral("売上明細表"), From | To | Tab, {}, {}, D::Today};
        for (const char* caption : {"伝票別", "商品別", "顧客別"})
            sales.tabs.push_back(tabOf(QString::fromUtf8(caption)));
        sales.make = [](const Job& j) {
            detailList(j, PartnerSide::customer(), TSalesDetailListForm::tabNames(j.in.tab));
        };
        t.push_back(sales);
        t.push_back(
            {"buying-detail",
             QStringLiteral("仕入明細表"),
             From | To,
             {},
             [](const Job& j) { detailList(j, PartnerSide::supplier(), TBuyingDetailListForm::listNames()); },
             D::Today});
        t.push_back(summaryDocument("month-summary", TMonthSummaryForm::names()));
        t.push_back(summaryDocument("month-sales-summary", TMonthSalesSummaryForm::names()));
        t.push_back(summaryDocument("month-buying-summary", TMonthBuyingSummaryForm::names()));
        t.push_back(summaryDocument("year-sales-summary", TYearSalesSummaryForm::names()));
        t.push_back(summaryDocument("year-buying-summary", TYearBuyingSummaryForm::names()));
        return t;
    }();
    return table;
}

const Document* findDocument(const QString& name)
{
    for (const Document& d : documents())
        if (d.name == name || d.title == name)
            return &d;
    return nullptr;
}

// yyyy-mm-dd or yyyy/mm/dd (one-digit month and day too), a calendar day.
QDate parseDate(const QString& option, const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})$"));
    const QRegularExpressionMatch m = shape.match(text.trimmed());
    const QDate date =
        m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()) : QDate();
    if (!date.isValid())
        refuse(Input,
               QStringLiteral("--%1 の日付「%2」は正しくありません (例: 2024-03-31)。").arg(option, text));
    return date;
}

int parseMonth(const QString& text)
{
    bool ok = false;
    const int month = text.trimmed().toInt(&ok);
    if (!ok || month < 1 || month > 12)
        refuse(Input, QStringLiteral("--month の月「%1」は正しくありません (1〜12)。").arg(text));
    return month;
}

int parseClosingDay(const QString& text)
{
    QString t = text.trimmed();
    if (t == QStringLiteral("月末") || t == QStringLiteral("末") || t == QStringLiteral("end"))
        return BillComputation::MonthEnd;
    if (t.endsWith(QStringLiteral("日")))
        t.chop(1);
    bool ok = false;
    const int day = t.toInt(&ok);
    if (!ok || day < 1 || day > 31)
        refuse(
            Input,
            QStringLiteral("--closing-day の締日「%1」は正しくありません (1〜31 または 月末)。").arg(text));
    return day;
}

int parseTab(const Document& d, const QString& text)
{
    // The caption as the window shows it, with or without its spaces, or its alias.
    const QString t = text.trimmed().remove(QChar(0x3000));
    for (std::size_t i = 0; i < d.tabs.size(); ++i)
        if (t == d.tabs[i].caption || t == d.tabs[i].alias)
            return int(i);
    QStringList known;
    for (const TabName& tab : d.tabs)
        known << QStringLiteral("%1 (%2)").arg(tab.caption, tab.alias);
    refuse(Input, QStringLiteral("%1にタブ「%2」はありません。タブ: %3")
                      .arg(d.title, text, known.join(QStringLiteral(", "))));
}

QString optionList(const Document& d)
{
    QStringList parts;
    for (const OptionName& o : kInputs)
        if (d.options & o.option)
            // The code of a ledger is the one input without a default.
            parts << QString::fromLatin1(o.option == Code ? "--%1 %2" : "[--%1 %2]")
                         .arg(QLatin1String(o.name), QLatin1String(o.value));
    return parts.join(QLatin1Char(' '));
}

// The book to read: checked as the window checks it at start (a damaged book
// is refused), never made or upgraded here. A book the user may only read is
// read: nothing here writes.
QString bookPath(const QString& chosen)
{
    const QString path = chosen.isEmpty() ? Book::defaultBookPath() : QFileInfo(chosen).absoluteFilePath();
    const Book::State state = Book::inspect(path, Book::Depth::Full);
    switch (state.kind) {
        case Book::State::Ok:
        case Book::State::ReadOnly:
            return path;
        case Book::State::Missing:
            refuse(Database, QStringLiteral("帳簿 %1 がありません。--database で帳簿を指定してください。")
                                 .arg(QDir::toNativeSeparators(path)));
        case Book::State::Older:
            refuse(Database, QStringLiteral("帳簿 %1 は古い版です。corvinta で一度開いて新しい版にしてから"
                                            "出力してください。")
                                 .arg(QDir::toNativeSeparators(path)));
        default:
            refuse(Database, Book::problemMessage(path, state));
    }
}

struct Command {
    const Document* document = nullptr;
    std::map<QString, QString> values;  // option name → value
    bool help = false;
};

Command parse(const QStringList& args)
{
    static const QStringList inputNames = [] {
        QStringList names;
        for (const OptionName& o : kInputs)
            names << QLatin1String(o.name);
        return names;
    }();
    Command c;
    QString documentName;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            c.help = true;
            return c;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg == QStringLiteral("-")) {
            if (!documentName.isEmpty())
                refuse(Usage, QStringLiteral("帳票は一つだけ指定してください: 「%1」").arg(arg));
            documentName = arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        bool attached = false;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            attached = true;
        }
        const bool known = arg.startsWith(QStringLiteral("--")) &&
                           (inputNames.contains(name) || name == QStringLiteral("csv") ||
                            name == QStringLiteral("pdf") || name == QStringLiteral("database"));
        if (!known)
            refuse(Usage, QStringLiteral("オプション「%1」はありません。").arg(arg));
        if (!attached) {
            if (i + 1 >= args.size() || args[i + 1].startsWith(QStringLiteral("--")))
                refuse(Usage, QStringLiteral("--%1 に値がありません。").arg(name));
            value = args[++i];
        }
        if (value.isEmpty())
            refuse(Usage, QStringLiteral("--%1 に値がありません。").arg(name));
        if (c.values.count(name))
            refuse(Usage, QStringLiteral("--%1 が二度指定されています。").arg(name));
        c.values[name] = value;
    }
    if (documentName.isEmpty())
        refuse(Usage, QStringLiteral("帳票を指定してください。"));
    c.document = findDocument(documentName);
    if (!c.document)
        refuse(Usage, QStringLiteral("帳票「%1」はありません。").arg(documentName));
    for (const OptionName& o : kInputs)
        if (c.values.count(QLatin1String(o.name)) && !(c.document->options & o.option))
            refuse(Usage, QStringLiteral("--%1 は%2の入力ではありません。%2: %3")
                              .arg(QLatin1String(o.name), c.document->title, optionList(*c.document)));
    const bool csv = c.values.count(QStringLiteral("csv")) > 0;
    const bool pdf = c.values.count(QStringLiteral("pdf")) > 0;
    if (csv == pdf)
        refuse(Usage, QStringLiteral("--csv FILE か --pdf FILE のどちらか一つを指定してください。"));
    return c;
}

Inputs inputsOf(const Command& c)
{
    const Document& d = *c.document;
    const auto value = [&c](const char* name) {
        const auto it = c.values.find(QLatin1String(name));
        return it == c.values.end() ? QString() : it->second;
    };
    Inputs in;
    const QDate today = QDate::currentDate();
    // What the window holds when it opens, where an input is not given.
    switch (d.defaults) {
        case Document::Defaults::Month:
            in.from = QDate(today.year(), today.month(), 1);
            in.to = in.from.addMonths(1).addDays(-1);
            break;
        case Document::Defaults::Today:
            in.from = in.to = today;
            break;
        case Document::Defaults::BillMonth:
        case Document::Defaults::SummaryPeriod:
            in.year = QString::number(today.year());
            in.month = today.month();
            break;
    }
    if (d.options & Code) {
        in.code = value("code");
        if (in.code.isEmpty())
            refuse(Usage, QStringLiteral("%1には --code が要ります。").arg(d.title));
    }
    if (!value("from").isEmpty())
        in.from = parseDate(QStringLiteral("from"), value("from"));
    if (!value("to").isEmpty())
        in.to = parseDate(QStringLiteral("to"), value("to"));
    if (!value("year").isEmpty()) {
        in.year = value("year");
        try {
            BillComputation::yearFromText(in.year);
        } catch (const std::invalid_argument& e) {
            refuse(Input, QStringLiteral("--year: %1").arg(QString::fromStdString(e.what())));
        }
    }
    if (!value("month").isEmpty())
        in.month = parseMonth(value("month"));
    if (!value("closing-day").isEmpty())
        in.closingDay = parseClosingDay(value("closing-day"));
    if (!value("tab").isEmpty())
        in.tab = parseTab(d, value("tab"));
    return in;
}

// corvinta-report check [--database PATH]: recomputes the figures the book
// keeps and rebuilds those that disagree with the rows, naming each on stdout.
int runBookCheck(const QStringList& args, QTextStream& out)
{
    QString chosen;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] != QStringLiteral("--database"))
            refuse(Usage, QStringLiteral("check のオプションは --database だけです: 「%1」").arg(args[i]));
        if (i + 1 >= args.size() || !chosen.isEmpty())
            refuse(Usage, QStringLiteral("--database に値がありません。"));
        chosen = args[++i];
    }
    ::Connection connection;
    try {
        connection.open(bookPath(chosen));
    } catch (const DbError& e) {
        refuse(Database, e.message());
    }
    BookCheck::Result result;
    try {
        result = BookCheck::checkAndRebuild(connection);
    } catch (const DbError& e) {
        refuse(Database, e.message());
    }
    for (const QString& line : result.lines())
        out << line << "\n";
    out << result.summary() << "\n";
    return result.clean() ? Done : Rebuilt;
}

int runChecked(const QStringList& args, QTextStream& out)
{
    if (!args.isEmpty() && args.first() == QStringLiteral("check"))
        return runBookCheck(args, out);
    const Command command = parse(args);
    if (command.help) {
        out << helpText();
        return Done;
    }
    const Inputs inputs = inputsOf(command);
    const bool pdf = command.values.count(QStringLiteral("pdf")) > 0;
    const auto db = command.values.find(QStringLiteral("database"));
    const QString path = bookPath(db == command.values.end() ? QString() : db->second);
    ::Connection connection;
    try {
        connection.openReadOnly(path);
    } catch (const DbError& e) {
        refuse(Database, e.message());
    }
    const Sink sink(pdf, command.values.at(pdf ? QStringLiteral("pdf") : QStringLiteral("csv")), path, out);
    try {
        command.document->make(Job{connection, inputs, sink});
    } catch (const DbError& e) {
        refuse(Database, e.message());
    } catch (const std::invalid_argument& e) {
        refuse(Input, QString::fromStdString(e.what()));
    }
    return Done;
}

}  // namespace

QString helpText()
{
    QString text;
    QTextStream s(&text);
    s << QStringLiteral(
        "使い方: corvinta-report 帳票 [入力] (--csv FILE | --pdf FILE) [--database PATH]\n"
        "        corvinta-report check [--database PATH]  "
        "(帳簿の集計を明細から点検し、合わないものを作り直す)\n\n"
        "帳簿の帳票を画面を開かずに CSV または PDF に出力します。CSV は画面の「CSV出力」と、\n"
        "PDF は画面の「印刷」と同じものです。FILE にフォルダを指定すると、画面が提案する\n"
        "名前のファイルをそこに作ります。FILE が - なら標準出力に書きます。帳簿やその\n"
        "バックアップ、通常のファイルでないもの (デバイスなど) には書きません。\n"
        "--database がなければ corvinta が開く帳簿を読みます。帳簿は読むだけです。\n\n"
        "帳票 (英字名か画面の名前) と入力:\n");
    for (const Document& d : documents()) {
        s << "  " << d.name.leftJustified(22) << d.title;
        s << "\n      " << optionList(d) << "\n";
        if (!d.tabs.empty()) {
            QStringList tabs;
            for (const TabName& tab : d.tabs)
                tabs << QStringLiteral("%1 (%2)").arg(tab.caption, tab.alias);
            s << QStringLiteral("      タブ: ") << tabs.join(QStringLiteral(", "))
              << QStringLiteral(" (省略時は最初のタブ)\n");
        }
    }
    s << QStringLiteral(
        "\n入力:\n"
        "  --code CODE         顧客・仕入先・商品のコード\n"
        "  --from DATE         期間の初日 (yyyy-mm-dd または yyyy/mm/dd)\n"
        "  --to DATE           期間の末日\n"
        "  --year YYYY         年\n"
        "  --month MM          月 (1〜12)\n"
        "  --closing-day DAY   締日 (1〜31 または 月末)\n"
        "  --tab TAB           タブ (画面の見出しまたは英字名)\n"
        "  省略した入力は画面を開いたときの値です (期間は今月、明細表は今日、年月は今月)。\n\n"
        "終了コード:\n"
        "  0  出力しました\n"
        "  1  予期しないエラー\n"
        "  2  使い方の誤り (帳票・オプションが不明、値がない、--csv/--pdf が一つでない)\n"
        "  3  入力の誤り (日付・年・月・締日・タブが不正、コードが未登録、出力する行がない)\n"
        "  4  帳簿の誤り (帳簿がない、帳簿ではない、古い版、壊れている、開けない)\n"
        "  5  出力ファイルに書き込めない、または出力先が帳簿やそのバックアップ、通常のファイル\n"
        "     でない (途中までのファイルは残りません)\n"
        "  6  check: 明細と合わない集計があり、作り直しました\n");
    return text;
}

void setPrintObserver(std::function<void(const ReportDocument&)> observer)
{
    printObserver() = std::move(observer);
}

int run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    try {
        return runChecked(args, out);
    } catch (const Refusal& r) {
        err << "corvinta-report: " << r.message << "\n";
        if (r.status == Usage)
            err << QStringLiteral("corvinta-report --help で使い方を表示します。\n");
        return r.status;
    } catch (const ReportError& e) {
        err << "corvinta-report: " << e.message() << "\n";
    } catch (const std::exception& e) {
        err << "corvinta-report: " << QString::fromUtf8(e.what()) << "\n";
    }
    return Failed;
}

}  // namespace ReportCommand
