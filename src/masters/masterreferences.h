#pragma once

#include <QString>

class Connection;

// Which rows name a master record. A customer, supplier, item, item category or
// staff member that a slip or another master names cannot be deleted: the slips
// would keep a code without a name, and the balance lists would lose its debt.
namespace MasterReferences {

// The message refusing to delete `code` from the master `table` ("m_顧客"), or an
// empty text when nothing refers to it (also for a table nothing refers to).
QString deleteRefusal(Connection& connection, const QString& table, const QString& code);

}  // namespace MasterReferences
