#pragma once

class Connection;

// The stock kept by month (t_在庫月計 and the triggers that keep it, as
// schema.sql makes them), for a book made before it existed: creates the table
// and its triggers and fills it from the lines already written. Runs inside the
// caller's transaction.
void addStockByMonth(Connection& connection);
