#pragma once

#include <QString>

// The master row of one partner by its exact code, as a ledger loads the
// partner typed into its code field. `table` and `codeColumn` are this
// program's own names (m_顧客, 顧客コード); the code itself is the parameter
// :Code, never part of the text.
inline QString partnerQueryText(const QString& table, const QString& codeColumn)
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = :Code").arg(table, codeColumn);
}
