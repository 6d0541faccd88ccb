#include "reportdocument.h"

#include <QPageSize>

QPageLayout ReportDocument::pageLayout() const
{
    const QPageSize size(paper, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    QPageLayout layout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}
