#pragma once

#include <utility>
#include <vector>

#include "reportdocument.h"
#include "reportfit.h"

class Dataset;
class Report;

// Turns a bound report into pages. The driving dataset is walked by row index
// over its visible rows, so its cursor stays where the window left it; only a
// sub-detail that follows its master through the master link needs the cursor
// moved, and it is put back afterwards, also when an error interrupts.
class ReportPaginator {
public:
    explicit ReportPaginator(const Report& report);
    ReportDocument run();

private:
    void startPage();
    void finishPage();
    void newPage();
    void placeBody(const ReportBand& band, int row, int subRow);
    void place(const ReportBand& band, int row, int subRow);
    void placeItem(const ReportItem& item, qreal left, qreal top, const ReportBand& band, int row,
                   int subRow);
    void placeSubDetails(int row);
    Dataset& boundDataset(const QString& name) const;
    Field fieldOf(const ReportItem& item, const ReportBand& band, int row, int subRow) const;
    void placeWrapped(ReportOp op);
    void numberPages();
    void fitText(ReportOp& op, FitRule rule, size_t page, int row, int subRow);

    const Report& m_report;
    const ReportLayout& m_layout;
    ReportDocument m_doc;
    Dataset* m_driving = nullptr;
    const ReportBand* m_title = nullptr;
    std::vector<const ReportBand*> m_headers, m_details, m_subDetails, m_summaries, m_footers, m_pageHeaders;
    qreal m_footerHeight = 0;
    qreal m_y = 0;
    bool m_bodyOnPage = false;
    int m_group = 0;                                         // the column group being printed
    size_t m_groupStart = 0;                                 // the index of its first page
    std::vector<std::pair<size_t, size_t>> m_pageNumberOps;  // page, op
    std::vector<bool> m_sectionStarts;                       // per page: a detail band started it anew
    TextFitter m_fitter;
};
