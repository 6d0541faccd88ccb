#include "summaryprint.h"

#include <QHash>

#include "dataset.h"
#include "datasetmodel.h"
#include "gridreport.h"
#include "report.h"

namespace SummaryPrint {

QString title(const QString& caption, const SummaryGroup& group)
{
    return group.caption.isEmpty() ? caption : QStringLiteral("%1（%2）").arg(caption, group.caption);
}

QString periodText(SummaryBucket bucket, const Period& period)
{
    return bucket == SummaryBucket::Day
               ? QStringLiteral("%1年%2月").arg(period.from.year()).arg(period.from.month())
               : QStringLiteral("%1年").arg(period.from.year());
}

QList<ColumnSpec> columns(const SummaryGroup& group, SummaryBucket bucket, const Period& period)
{
    QList<ColumnSpec> out = SummaryComputation::columns(group, bucket);
    if (bucket != SummaryBucket::Day || !period.from.isValid())
        return out;
    const std::vector<BucketTitle> titles =
        SummaryComputation::dayTitles(period.from.year(), period.from.month());
    const QStringList days = SummaryComputation::bucketColumns(SummaryBucket::Day);
    for (ColumnSpec& c : out) {
        const qsizetype d = days.indexOf(c.field);
        if (d >= 0)
            c.title = titles[size_t(d)].text;
    }
    return out;
}

QColor titleColor(BucketTitle::Tone tone)
{
    switch (tone) {
        case BucketTitle::Tone::Saturday:
            return QColor(0, 0, 255);
        case BucketTitle::Tone::Sunday:
            return QColor(255, 0, 0);
        case BucketTitle::Tone::Missing:
            return QColor(128, 128, 128);
        case BucketTitle::Tone::Plain:
            break;
    }
    return {};
}

QColor face()
{
    return GridReport::shade();
}

}  // namespace SummaryPrint

std::unique_ptr<Report> summaryReport(const QString& title, SummaryBucket bucket, const Period& period,
                                      Dataset& dataset, const QList<ColumnSpec>& columns,
                                      const SummaryGroup& group, const QColor& shade)
{
    const QColor face = shade.isValid() ? shade : SummaryPrint::face();
    GridReportSpec spec{title};
    // The total row; the two rows of the monthly summary are both rows of their own.
    if (!group.kinds)
        spec.rowBackground = [&dataset, face](int row) {
            return dataset.fieldAt(row, QStringLiteral("番号")).asInt() == 2 ? face : QColor();
        };
    spec.periodLabel =
        bucket == SummaryBucket::Day ? QStringLiteral("集計年月：") : QStringLiteral("集計年：");
    spec.frozenColumns = group.kinds ? 1 : 2;
    spec.minColumnWidth = SummaryPrint::MinColumnWidth;
    if (!group.kinds)
        spec.codeFields = {group.codeColumn};
    spec.nameFields = {group.nameColumn};
    spec.columnBackground = [face](const QString& field) {
        return field == QStringLiteral("合計") ? face : QColor();
    };
    if (bucket == SummaryBucket::Day && period.from.isValid()) {
        // The day titles in their weekdays' colours, as the grid draws them.
        QHash<QString, QColor> colors;
        const std::vector<BucketTitle> titles =
            SummaryComputation::dayTitles(period.from.year(), period.from.month());
        const QStringList days = SummaryComputation::bucketColumns(SummaryBucket::Day);
        for (qsizetype d = 0; d < days.size(); ++d)
            colors.insert(days[d], SummaryPrint::titleColor(titles[size_t(d)].tone));
        spec.titleColor = [colors](const QString& field) { return colors.value(field); };
    }
    auto report = gridReport(spec, dataset, columns);
    report->setText(QStringLiteral("QRLabelPeriod"), SummaryPrint::periodText(bucket, period));
    return report;
}

std::unique_ptr<Report> summaryReport(const QString& caption, const SummaryComputation& summary,
                                      const Period& period, const QColor& shade)
{
    const SummaryGroup& group = summary.group();
    return summaryReport(SummaryPrint::title(caption, group), summary.bucket(), period, summary.dataset(),
                         SummaryPrint::columns(group, summary.bucket(), period), group, shade);
}
