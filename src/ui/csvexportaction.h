#pragma once

#include <QAction>
#include <QString>

#include <functional>

class DatasetModel;
class DbGrid;
class QHBoxLayout;

// "CSV出力" of a document window: writes what a grid shows (the shown columns
// with their titles, the rows in their order, the filter applied) to a file the
// user picks, proposing a name made of the document's title, the window's own
// inputs and the period. The action takes no key: every F-key of a document
// window already has its meaning. Enabled while the grid shows rows.
//
// One call adds it to a window, its button at the front of the action bar:
//
//     CsvExportAction::add(this, buttonRow, [this] { return GridList->datasetModel(); },
//                          [this] { return CsvWriter::proposedFileName(...); });
class CsvExportAction : public QAction {
    Q_OBJECT

public:
    // Asks where to write: the path chosen, empty when the user cancelled.
    // The window's file dialog unless a test puts its own in.
    using FileChooser = std::function<QString(QWidget* owner, const QString& proposedPath)>;
    using ModelSource = std::function<const DatasetModel*()>;

    inline static const QString Caption = QStringLiteral("CSV出力");

    CsvExportAction(QWidget* window, ModelSource model, std::function<QString()> fileName);

    // Adds the action to `window` and its button ("ButtonCsvExport", taking no
    // focus) to the front of `bar`, right after the bar's leading stretch.
    static CsvExportAction* add(QWidget* window, QHBoxLayout* bar, ModelSource model,
                                std::function<QString()> fileName);
    static CsvExportAction* add(QWidget* window, QHBoxLayout* bar, DbGrid* grid,
                                std::function<QString()> fileName);

    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    // The save dialog: the proposed name in the folder last written to.
    static QString chooseFile(QWidget* owner, const QString& proposedPath);

    // Enabled while the model shows at least one row.
    void refresh();
    // Asks for the file and writes it; a failure is thrown with a message
    // naming the file, and no part of the file is left. A file of the book
    // and anything that is not a regular file are refused before writing
    // (Book::outputRefusal).
    void exportNow();

private:
    QWidget* m_window;
    ModelSource m_model;
    std::function<QString()> m_fileName;
    FileChooser m_chooser;
};
