#pragma once

#include <QString>

#include <stdexcept>

// The one error type of the data layer. Its message is what the user sees in the
// error box: the engine's own message where the engine failed, with a short note
// of what was being done.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message, int engineCode = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_code(engineCode)
    {
    }

    const QString& message() const { return m_message; }
    // The engine's primary result code (SQLITE_BUSY, SQLITE_CONSTRAINT, ...), or 0
    // where the data layer itself refused.
    int engineCode() const { return m_code & 0xff; }
    int extendedCode() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

// A write that found its row changed or deleted by another connection since it
// was read. Writing again cannot help: the row must be read again first.
class DbConflict : public DbError {
public:
    using DbError::DbError;
};
