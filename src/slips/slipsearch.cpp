#include "slipsearch.h"

#include "dataset.h"

namespace SlipSearch {

QString query(const SlipKind& kind, const Filter& filter)
{
    QString sql = QStringLiteral("SELECT * FROM ") + kind.view + QStringLiteral(" WHERE 1 = 1");
    if (!filter.partnerCode.isEmpty())
        sql += QStringLiteral(" AND (%1 = :Code) ").arg(kind.partnerField());
    if (filter.from)
        sql += QStringLiteral(" AND (%1 >= :DateFrom)").arg(kind.dateField);
    if (filter.to)
        sql += QStringLiteral(" AND (%1 < :DateTo)").arg(kind.dateField);
    return sql;
}

void run(Dataset& slips, const SlipKind& kind, const Filter& filter)
{
    slips.close();
    slips.setSql(query(kind, filter));
    if (!filter.partnerCode.isEmpty())
        slips.setParam(QStringLiteral("Code"), filter.partnerCode);
    if (filter.from)
        slips.setParam(QStringLiteral("DateFrom"), *filter.from);
    if (filter.to)
        slips.setParam(QStringLiteral("DateTo"), filter.to->addDays(1));
    slips.open();
}

}  // namespace SlipSearch
