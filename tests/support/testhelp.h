#pragma once

// Helpers every test folder uses: a value read back, the message of a refusal,
// rows as texts, and amounts in whole yen.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <concepts>
#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>

#include "connection.h"
#include "money.h"
#include "statement.h"

// The first column of the first row, or an invalid QVariant when there is none.
inline QVariant scalar(Connection& c, const QString& sql, const QVariantList& params = {})
{
    Statement st(c, sql);
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params[i]);
    return st.step() ? st.value(0) : QVariant();
}

// Runs one statement with its values bound in order (a test's own rows).
inline void execute(Connection& c, const QString& sql, const QVariantList& params = {})
{
    Statement st(c, sql);
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params[i]);
    st.run();
}

// Runs statements on a file through the engine alone, as another tool would
// (no check, no WAL switch): a test's way to make a file of any shape.
inline void rawExec(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    const QString msg = err ? QString::fromUtf8(err) : QString();
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(msg.toStdString());
}

// The message of the error `f` throws; empty when it throws none.
inline QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

// The rows of a query as "a|b|c" texts (NULL as "-").
inline QStringList rowsOf(Connection& connection, const QString& sql)
{
    Statement st(connection, sql);
    QStringList rows;
    while (st.step()) {
        QStringList cells;
        for (int c = 0; c < st.columnCount(); ++c)
            cells << (st.isNull(c) ? QStringLiteral("-") : st.value(c).toString());
        rows << cells.join(u'|');
    }
    return rows;
}

// The same, read on a connection of its own.
inline QStringList rowsOf(const QString& path, const QString& sql)
{
    Connection connection(path);
    return rowsOf(connection, sql);
}

// An amount in whole yen, or as typed ("1760", "-0.5"). Whole yen is a
// template so that yen(0) means zero yen, not a null text.
template <std::integral T>
Money yen(T whole)
{
    return Money::fromYen(std::int64_t(whole));
}
inline Money yen(const char* typed)
{
    return Money::parse(QString::fromLatin1(typed));
}

// Takes the stock kept by month (its table and triggers) out of a book, as a
// book of version 1 was made; the caller marks the version.
inline void dropStockByMonth(Connection& c)
{
    QStringList triggers;
    {
        Statement st(c, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' "
                                       "AND sql LIKE '%t_在庫月計%'"));
        while (st.step())
            triggers << st.text(0);
    }
    for (const QString& name : triggers)
        c.exec(QStringLiteral("DROP TRIGGER \"%1\"").arg(name));
    c.exec(
        QStringLiteral("DROP VIEW v_在庫月計_再計算; DROP TABLE t_在庫月計_再計算; DROP TABLE t_在庫月計"));
}
