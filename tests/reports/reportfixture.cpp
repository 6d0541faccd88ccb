#include "reportfixture.h"

#include <cmath>

ReportFixture::ReportFixture() : connection(db.path()) {}

std::unique_ptr<Dataset> ReportFixture::open(const QString& sql)
{
    auto ds = std::make_unique<Dataset>(connection, sql);
    ds->open();
    return ds;
}

std::unique_ptr<Dataset> ReportFixture::ledger(int slips, bool supplier, qint64 scale)
{
    const QString credit = supplier ? "掛仕合計" : "掛売合計";
    const QString payLine = supplier ? "支払額" : "入金額";
    const QString payTotal = supplier ? "支払合計" : "入金合計";
    // Row 0 carries forward 5,000 yen; slip k is a credit sale of k×1,000 yen dated
    // k days into April, its lines priced 100 yen and k yen.
    const QString sql =
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < :last),"
            " r AS (SELECT i, (i - 1) / 3 + 1 AS k, (i - 1) % 3 AS j FROM n WHERE i >= 1)"
            " SELECT '2024-04-01' AS 表示用年月日, '2024-04-01' AS 年月日, -1 AS 種別コード,"
            "  '繰越残高' AS 種別, '' AS 区分コード, '' AS 区分, -1 AS 伝票番号, -1 AS 明細番号,"
            "  '' AS 商品コード, '' AS 商品名, '' AS 分類コード, '' AS 分類名, 0 AS 単価, 0 AS 税額,"
            "  0 AS 数量, 0 AS 金額, 0 AS 現金合計, 0 AS %1, 0 AS %2, 0 AS %3, 50000000 * :scale AS 残高"
            " UNION ALL"
            " SELECT CASE WHEN j = 0 THEN date('2024-04-01', '+' || k || ' days') END,"
            "  date('2024-04-01', '+' || k || ' days'), 2, CASE WHEN j = 0 THEN '掛売' END,"
            "  NULL, NULL, k, CASE WHEN j = 0 THEN -1 ELSE j END,"
            "  CASE WHEN j > 0 THEN 'I' || j END, CASE WHEN j > 0 THEN '商品' || k || '-' || j END,"
            "  CASE WHEN j > 0 THEN '01' END, CASE WHEN j > 0 THEN '食品' END,"
            "  CASE WHEN j = 1 THEN 1000000 WHEN j = 2 THEN k * 10000 ELSE 0 END * :scale, 0,"
            "  CASE WHEN j > 0 THEN 10000 ELSE 0 END,"
            "  CASE WHEN j = 1 THEN 1000000 WHEN j = 2 THEN k * 10000 ELSE 0 END * :scale,"
            "  NULL, CASE WHEN j = 0 THEN k * 10000000 * :scale END, NULL, NULL,"
            "  CASE WHEN j = 0 THEN (50000000 + k * (k + 1) / 2 * 10000000) * :scale END"
            " FROM r")
            .arg(credit, payLine, payTotal);
    auto ds = std::make_unique<Dataset>(connection, sql);
    ds->setParam("last", 3 * slips);
    ds->setParam("scale", scale);
    ds->open();
    return ds;
}

std::unique_ptr<Dataset> ReportFixture::partner(bool supplier, const QString& code, const QString& name)
{
    const QString codeField = supplier ? "仕入先コード" : "顧客コード";
    const QString nameField = supplier ? "仕入先名" : "顧客名";
    auto ds = std::make_unique<Dataset>(
        connection, QStringLiteral("SELECT :code AS %1, :name AS %2").arg(codeField, nameField));
    ds->setParam("code", code);
    ds->setParam("name", name);
    ds->open();
    return ds;
}

std::unique_ptr<Dataset> ReportFixture::list(bool payable, const std::vector<QStringList>& rows)
{
    const QStringList names = payable
                                  ? QStringList{"仕入先コード", "仕入先名",     "繰越残高", "期間現金仕合計",
                                                "期間掛仕合計", "期間支払合計", "残高"}
                                  : QStringList{"顧客コード",   "顧客名",       "繰越残高", "期間現金売合計",
                                                "期間掛売合計", "期間入金合計", "残高"};
    QStringList select;
    for (int c = 0; c < names.size(); ++c)
        select << QStringLiteral("column%1 AS %2").arg(c + 1).arg(names[c]);
    QStringList values;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (int c = 0; c < row.size(); ++c) {
            if (c < 2)
                cells << "'" + row[c] + "'";
            else
                cells << (row[c].isEmpty() ? QStringLiteral("NULL") : row[c] + "0000");
        }
        values << "(" + cells.join(",") + ")";
    }
    QString sql = "SELECT " + select.join(", ");
    if (values.isEmpty())
        sql += " FROM (VALUES ('', '', 0, 0, 0, 0, 0)) WHERE 0";
    else
        sql += " FROM (VALUES " + values.join(",") + ")";
    return open(sql);
}

const ReportOp* opWithText(const ReportPage& page, const QString& text)
{
    for (const ReportOp& op : page.ops) {
        if (op.kind == ReportOp::Kind::Text && op.text == text)
            return &op;
    }
    return nullptr;
}

std::vector<const ReportOp*> opsTagged(const ReportPage& page, const QString& tag)
{
    std::vector<const ReportOp*> found;
    for (const ReportOp& op : page.ops) {
        if (op.tag == tag)
            found.push_back(&op);
    }
    return found;
}

std::vector<const PlacedBand*> bandsOf(const ReportPage& page, BandKind kind)
{
    std::vector<const PlacedBand*> found;
    for (const PlacedBand& band : page.bands) {
        if (band.kind == kind)
            found.push_back(&band);
    }
    return found;
}

int countText(const ReportDocument& document, const QString& text)
{
    int n = 0;
    for (const ReportPage& page : document.pages) {
        for (const ReportOp& op : page.ops)
            n += op.kind == ReportOp::Kind::Text && op.text == text;
    }
    return n;
}

QStringList textsTagged(const ReportDocument& document, const QString& tag)
{
    QStringList texts;
    for (const ReportPage& page : document.pages) {
        for (const ReportOp* op : opsTagged(page, tag))
            texts << op->text;
    }
    return texts;
}

bool near(qreal a, qreal b, qreal tolerance)
{
    return std::abs(a - b) <= tolerance;
}

bool sameBox(const QRectF& a, const QRectF& b, qreal tolerance)
{
    return near(a.left(), b.left(), tolerance) && near(a.top(), b.top(), tolerance) &&
           near(a.width(), b.width(), tolerance) && near(a.height(), b.height(), tolerance);
}
