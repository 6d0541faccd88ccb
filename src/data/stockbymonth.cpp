#include "stockbymonth.h"

#include <QString>

#include "connection.h"
#include "stockbymonth_sql.h"  // kStockByMonthSql: stockbymonth.sql, as built

namespace {

// Every dated line that names an item, summed by item and month.
const char* const kFill = R"(
INSERT INTO t_在庫月計 (商品コード, 年月, 入庫数, 出庫数)
SELECT 商品コード, 年月, SUM(入庫数), SUM(出庫数)
FROM (SELECT d.商品コード AS 商品コード, substr(h.仕入年月日, 1, 7) AS 年月, IFNULL(d.数量, 0) AS 入庫数, 0 AS 出庫数
      FROM t_仕入 AS h, t_仕入明細 AS d
      WHERE h.伝票番号 = d.伝票番号 AND d.商品コード IS NOT NULL AND h.仕入年月日 IS NOT NULL
      UNION ALL
      SELECT d.商品コード, substr(h.売上年月日, 1, 7), 0, IFNULL(d.数量, 0)
      FROM t_売上 AS h, t_売上明細 AS d
      WHERE h.伝票番号 = d.伝票番号 AND d.商品コード IS NOT NULL AND h.売上年月日 IS NOT NULL)
GROUP BY 商品コード, 年月;
)";

}  // namespace

void addStockByMonth(Connection& connection)
{
    connection.exec(QString::fromUtf8(kStockByMonthSql));
    connection.exec(QString::fromUtf8(kFill));
}
