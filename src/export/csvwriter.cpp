#include "csvwriter.h"

#include <QSaveFile>

#include <stdexcept>

#include "dataset.h"
#include "datasetmodel.h"
#include "formats.h"

namespace {

// A product of the grid's rounding: `raw` ten-thousandths rounded half away to
// a multiple of `step` ten-thousandths.
Money roundedHalfAway(Money value, std::int64_t step)
{
    const std::int64_t raw = value.raw();
    std::int64_t units = raw / step;
    const std::int64_t rest = raw % step;
    if (rest * 2 >= step)
        ++units;
    else if (rest * 2 <= -step)
        --units;
    return Money::fromRaw(units * step);
}

// A spreadsheet runs a cell as a formula when it starts with one of these,
// also in their full-width forms, which some convert as they read.
bool formulaStart(QChar ch)
{
    switch (ch.unicode()) {
        case u'=':
        case u'+':
        case u'-':
        case u'@':
        case u'\uFF1D':  // ＝
        case u'\uFF0B':  // ＋
        case u'\uFF0D':  // －
        case u'\uFF20':  // ＠
            return true;
        default:
            return false;
    }
}

bool startsLikeFormula(const QString& text)
{
    if (text.isEmpty())
        return false;
    if (text.front() == u'\t' || text.front() == u'\r')
        return true;
    // Spaces and invisible characters (zero-width space and joiners, the
    // byte-order mark) before the sign hide it from the eye, not from the
    // spreadsheet.
    for (const QChar ch : text) {
        if (ch.isSpace() || ch.category() == QChar::Other_Format)
            continue;
        return formulaStart(ch);
    }
    return false;
}

// Exactly an integer: an optional minus and ASCII digits, nothing around them.
bool isPlainInteger(const QString& text)
{
    const qsizetype start = text.startsWith(u'-') ? 1 : 0;
    if (text.size() <= start || text.size() > start + 19)
        return false;
    for (qsizetype i = start; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    bool ok = false;
    text.toLongLong(&ok);
    return ok;
}

}  // namespace

void CsvWriter::addRow(const QList<CsvCell>& cells)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += u',';
        line += encodeField(cells[i]);
    }
    line += QStringLiteral("\r\n");
    m_data += line.toUtf8();
    ++m_rows;
}

void CsvWriter::addTextRow(const QStringList& texts)
{
    QList<CsvCell> cells;
    cells.reserve(texts.size());
    for (const QString& text : texts)
        cells.append({text, false});
    addRow(cells);
}

QByteArray CsvWriter::bytes() const
{
    return QByteArrayLiteral("\xEF\xBB\xBF") + m_data;
}

QString CsvWriter::encodeField(const CsvCell& cell)
{
    if (cell.number)
        return cell.text;
    QString text = cell.text;
    bool quote = false;
    if (startsLikeFormula(text)) {
        text.prepend(u'\'');
        quote = true;
    }
    if (text.contains(u'"')) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        quote = true;
    }
    if (text.contains(u',') || text.contains(u'\n') || text.contains(u'\r'))
        quote = true;
    return quote ? u'"' + text + u'"' : text;
}

CsvCell CsvWriter::cell(const Field& value, DisplayFormat format)
{
    if (value.isNull())
        return {};
    switch (format) {
        case DisplayFormat::Money:
            return {QString::number(value.asMoney().yenHalfAway()), true};
        case DisplayFormat::Balance:
            return {QString::number(value.asMoney().yenHalfAway()), true};
        case DisplayFormat::Price:
        case DisplayFormat::Quantity:
            return {roundedHalfAway(value.asMoney(), 100).toPlainText(), true};
        case DisplayFormat::Date: {
            const QDate date = value.asDate();
            if (date.isValid())
                return {Formats::displayDate(date), false};
            return {value.asText(), false};
        }
        case DisplayFormat::Integer: {
            const QString text = value.asText();
            return {text, isPlainInteger(text)};
        }
        case DisplayFormat::Text:
            break;
    }
    return {value.asText(), false};
}

QByteArray CsvWriter::fromModel(const DatasetModel& model)
{
    CsvWriter writer;
    const int columns = model.columnCount();
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    writer.addTextRow(titles);
    const Dataset& dataset = model.dataset();
    for (int r = 0; r < model.rowCount(); ++r) {
        QList<CsvCell> cells;
        cells.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            const ColumnSpec& spec = model.columnSpec(c);
            cells.append(cell(dataset.fieldAt(r, spec.field), spec.format));
        }
        writer.addRow(cells);
    }
    return writer.bytes();
}

QString CsvWriter::proposedFileName(const QString& document, const QStringList& inputs, const QDate& from,
                                    const QDate& to)
{
    QStringList parts{document};
    for (const QString& input : inputs)
        if (!input.trimmed().isEmpty())
            parts << input.trimmed();
    for (const QDate& date : {from, to})
        if (date.isValid())
            parts << Formats::isoDate(date);
    QString name = parts.join(u'_');
    for (QChar& ch : name)
        if (QStringView(u"/\\:*?\"<>|").contains(ch) || ch.unicode() < 0x20)
            ch = u'_';
    return name + QStringLiteral(".csv");
}

void CsvWriter::save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    const auto fail = [&path](const QString& cause) {
        throw std::runtime_error(
            QStringLiteral("CSVファイルを書き込めませんでした。\n%1\n%2").arg(path, cause).toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString cause = file.errorString();
        file.cancelWriting();
        fail(cause);
    }
    if (!file.commit())
        fail(file.errorString());
}
