#include "report.h"

#include "dataset.h"
#include "datasetmodel.h"
#include "reportpaginator.h"

namespace {

QString formatKey(const QString& dataset, const QString& field)
{
    return dataset + u'\n' + field;
}

}  // namespace

Report::Report(ReportLayout layout) : m_layout(std::move(layout)) {}

Report::~Report() = default;

void Report::bindDataset(const QString& name, Dataset& dataset)
{
    m_datasets.insert(name, &dataset);
}

Dataset* Report::dataset(const QString& name) const
{
    return m_datasets.value(name, nullptr);
}

const ReportItem* Report::namedItem(const QString& name) const
{
    for (const ReportBand& band : m_layout.bands) {
        for (const ReportItem& item : band.items) {
            if (item.kind == ItemKind::FixedText && item.name == name)
                return &item;
        }
    }
    return nullptr;
}

void Report::setText(const QString& name, const QString& caption)
{
    // A misspelt name would otherwise print the default caption without a word.
    if (name.isEmpty() || !namedItem(name))
        throw ReportError(
            QStringLiteral("帳票「%1」に固定文字「%2」がありません。").arg(m_layout.title, name));
    m_captions.insert(name, caption);
}

void Report::setPeriodTexts(const QString& from, const QString& to)
{
    setText(QStringLiteral("QRLabelDateFrom"), from);
    setText(QStringLiteral("QRLabelDateTo"), to);
}

QString Report::text(const QString& name) const
{
    const auto it = m_captions.constFind(name);
    if (it != m_captions.constEnd())
        return *it;
    const ReportItem* item = namedItem(name);
    return item ? item->text : QString();
}

QStringList Report::textNames() const
{
    QStringList names;
    for (const ReportBand& band : m_layout.bands) {
        for (const ReportItem& item : band.items) {
            if (item.kind == ItemKind::FixedText && !item.name.isEmpty() && !names.contains(item.name))
                names << item.name;
        }
    }
    return names;
}

void Report::setFieldFormat(const QString& dataset, const QString& field, DisplayFormat format)
{
    m_formats.insert(formatKey(dataset, field), format);
}

void Report::adoptFormats(const QString& dataset, const QList<ColumnSpec>& columns)
{
    for (const ColumnSpec& column : columns)
        setFieldFormat(dataset, column.field, column.format);
}

DisplayFormat Report::formatOf(const ReportItem& item) const
{
    return m_formats.value(formatKey(item.dataset, item.field), item.format);
}

ReportDocument Report::paginate() const
{
    return ReportPaginator(*this).run();
}
