#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "field.h"

class DatasetModel;

// One value of a CSV row: its text, and whether it is a number (written bare,
// never guarded against formulas) or text.
struct CsvCell {
    QString text;
    bool number = false;
};

// Writes a table to CSV bytes as spreadsheet programs on Japanese desktops open
// them directly: UTF-8 with a byte-order mark, CRLF line ends, fields quoted as
// RFC 4180 has it (only where needed: a comma, a quote, a line break). Amounts
// and quantities are plain numbers ("-1234.5", the decimals the shown value has),
// dates "yyyy/mm/dd". A text a spreadsheet would take for a formula (starting
// with =, +, -, @ or their full-width forms, also behind spaces or invisible
// characters, or with a tab or a carriage return) gets a leading apostrophe
// inside a quoted field, so it stays text; a negative number stays a number.
// An integer column's value is written bare only when it is exactly an integer.
//
// No widgets: a window and a command line make the same bytes from the same model.
class CsvWriter {
public:
    void addRow(const QList<CsvCell>& cells);
    // A row of texts (titles).
    void addTextRow(const QStringList& texts);
    int rowCount() const { return m_rows; }
    // The BOM, then every row, each ended by CRLF.
    QByteArray bytes() const;

    // What the grid over `model` shows, in its order (the held rows as sorted
    // and filtered): a title row of the shown columns, then one row per row.
    static QByteArray fromModel(const DatasetModel& model);
    // A value as a column of `format` writes it: the number the grid shows,
    // rounded as the grid rounds it (whole yen for amounts and balances, halves
    // away from zero; two decimals for prices and quantities) without
    // currency sign, separators or trailing zeros; a date as "yyyy/mm/dd".
    static CsvCell cell(const Field& value, DisplayFormat format);
    // One field as it is written: quoted where needed, guarded where it would
    // run as a formula.
    static QString encodeField(const CsvCell& cell);

    // The name a save dialog proposes: the document's title, the window's own
    // inputs (partner or item code, tab) and the period, joined by "_":
    // "得意先元帳_C001_2024-03-01_2024-03-31.csv". Empty inputs and invalid
    // dates are left out; characters no file name may hold become "_".
    static QString proposedFileName(const QString& document, const QStringList& inputs = {},
                                    const QDate& from = {}, const QDate& to = {});

    // Writes `bytes` to `path` whole or not at all (through a temporary file that
    // replaces the target only when complete). Throws std::runtime_error with a
    // message naming the file and the cause.
    static void save(const QString& path, const QByteArray& bytes);

private:
    QByteArray m_data;
    int m_rows = 0;
};
