#pragma once

class QString;
class QWidget;
class Report;
struct ReportDocument;

// Shows `report` in a modal print preview owned by `owner`, from which the user
// prints (choosing printer and copies there), saves a PDF, or closes. The pages
// are laid out once, from the datasets as they stand now, before the preview
// opens; a layout fault or a data error is thrown from here, before anything is
// shown. The preview, its printer and every page are released when it closes, on
// every path. Returns the preview's result (QDialog::Accepted after printing).
int previewReport(QWidget* owner, const Report& report);

// The preview's "PDF保存" once the file is chosen: refuses a file of the book
// (BuildConnectionString()) and anything that is not a regular file before
// writing, then writes the PDF whole. Throws std::runtime_error (ReportError)
// with the message to show.
void savePreviewPdf(const ReportDocument& document, const QString& path);
