#include "reportpreview.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>

#include "bookfiles.h"
#include "connection.h"
#include "report.h"
#include "reportpainter.h"

namespace {

// An error must not leave a slot: it is shown once the preview's own handler has returned.
void showLater(QWidget* parent, const QString& message)
{
    QTimer::singleShot(
        0, parent, [parent, message] { QMessageBox::critical(parent, QStringLiteral("エラー"), message); });
}

void savePdf(QWidget* parent, const ReportDocument& document)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("PDFに保存"),
                                                      QDir(folder).filePath(document.title + ".pdf"),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    try {
        savePreviewPdf(document, path);
    } catch (const std::exception& e) {
        QMessageBox::critical(parent, QStringLiteral("エラー"), QString::fromUtf8(e.what()));
    }
}

}  // namespace

void savePreviewPdf(const ReportDocument& document, const QString& path)
{
    if (const QString why = Book::outputRefusal(BuildConnectionString(), path); !why.isEmpty())
        throw ReportError(why);
    writePdf(document, path);
}

int previewReport(QWidget* owner, const Report& report)
{
    const ReportDocument document = report.paginate();

    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(document.pageLayout());
    printer.setDocName(document.title);

    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー - %1").arg(document.title));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        try {
            paintDocument(document, *target);
        } catch (const std::exception& e) {
            showLater(&dialog, QString::fromUtf8(e.what()));
        }
    });
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        QAction* save = bar->addAction(QStringLiteral("PDF保存"));
        save->setObjectName(QStringLiteral("ActionSavePdf"));
        save->setToolTip(QStringLiteral("PDFファイルに保存"));
        QObject::connect(save, &QAction::triggered, &dialog, [&] { savePdf(&dialog, document); });
    }
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    return dialog.exec();
}
