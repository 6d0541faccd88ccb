#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

#include "reportdocument.h"
#include "reportlayout.h"

class Dataset;
struct ColumnSpec;

// A fault in a layout or in its binding (an unknown named text, a dataset the
// layout reads but the caller did not bind, a device that cannot be drawn on).
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A layout bound to the datasets of the window that prints it, with the captions
// of its named fixed texts. The datasets are read as they stand when paginate()
// runs: the driving dataset in its current order and filter, every other dataset
// at its current row. Nothing is copied and nothing is queried.
//
// Printing from a window:
//     TLedgerCustomerRptForm rpt(*LedgerDataSet, *CustomerDataSet);
//     rpt.QRLabelDateFrom.setCaption(PeriodFromText);
//     rpt.QRLabelDateTo.setCaption(PeriodToText);
//     previewReport(this, rpt);
class Report {
public:
    explicit Report(ReportLayout layout);
    virtual ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    const ReportLayout& layout() const { return m_layout; }

    // The dataset that data items and bands call `name`.
    void bindDataset(const QString& name, Dataset& dataset);
    Dataset* dataset(const QString& name) const;

    // Named fixed texts: the layout declares them, the caller sets their captions.
    void setText(const QString& name, const QString& caption);  // throws ReportError for an unknown name
    QString text(const QString& name) const;
    // The period a document was made for, "yyyy/mm/dd": the named texts
    // QRLabelDateFrom and QRLabelDateTo every period print declares.
    void setPeriodTexts(const QString& from, const QString& to);
    QStringList textNames() const;

    // A data text prints with the format its item declares unless the window
    // gives its own for that field (the grid's declared column formats).
    void setFieldFormat(const QString& dataset, const QString& field, DisplayFormat format);
    void adoptFormats(const QString& dataset, const QList<ColumnSpec>& columns);
    DisplayFormat formatOf(const ReportItem& item) const;

    // The date the system-date items print; today unless set.
    void setPrintDate(const QDate& date) { m_printDate = date; }
    QDate printDate() const { return m_printDate.isValid() ? m_printDate : QDate::currentDate(); }

    // Lays out every page. Throws ReportError for a layout fault and the data
    // layer's error for a field that does not exist.
    ReportDocument paginate() const;

private:
    const ReportItem* namedItem(const QString& name) const;

    ReportLayout m_layout;
    QHash<QString, Dataset*> m_datasets;
    QHash<QString, QString> m_captions;
    QHash<QString, DisplayFormat> m_formats;  // "dataset\nfield"
    QDate m_printDate;
};

// A handle on one named fixed text of a report, so that a layout class can expose
// it by name: rpt.QRLabelDateFrom.setCaption(text).
class ReportLabel {
public:
    ReportLabel(Report& report, QString name) : m_report(report), m_name(std::move(name)) {}
    void setCaption(const QString& caption) { m_report.setText(m_name, caption); }
    QString caption() const { return m_report.text(m_name); }
    const QString& name() const { return m_name; }

private:
    Report& m_report;
    QString m_name;
};
