#include "csvexportaction.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStandardPaths>

#include "bookfiles.h"
#include "connection.h"
#include "csvwriter.h"
#include "datasetmodel.h"
#include "dbgrid.h"
#include "errorreport.h"

namespace {

// The folder the last export went to, for the next proposal (this run only).
QString& lastFolder()
{
    static QString folder;
    return folder;
}

}  // namespace

CsvExportAction::CsvExportAction(QWidget* window, ModelSource model, std::function<QString()> fileName)
    : QAction(Caption, window),
      m_window(window),
      m_model(std::move(model)),
      m_fileName(std::move(fileName)),
      m_chooser(&CsvExportAction::chooseFile)
{
    setObjectName(QStringLiteral("ActionCsvExport"));
    window->addAction(this);
    connect(this, &QAction::triggered, this, [this] {
        refresh();
        if (isEnabled())
            runGuarded(m_window, [this] { exportNow(); });
    });
    // Follows the rows of the model shown at creation, and is also kept
    // current as the window's own actions are: whenever the event loop is
    // about to wait (a source that changes models, a tab's list).
    if (const DatasetModel* shown = m_model()) {
        const auto follow = [this] { refresh(); };
        connect(shown, &QAbstractItemModel::modelReset, this, follow);
        connect(shown, &QAbstractItemModel::layoutChanged, this, follow);
        connect(shown, &QAbstractItemModel::rowsInserted, this, follow);
        connect(shown, &QAbstractItemModel::rowsRemoved, this, follow);
    }
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        if (m_window->isVisible())
            refresh();
    });
    refresh();
}

CsvExportAction* CsvExportAction::add(QWidget* window, QHBoxLayout* bar, ModelSource model,
                                      std::function<QString()> fileName)
{
    auto* action = new CsvExportAction(window, std::move(model), std::move(fileName));
    auto* button = new QPushButton(action->text());
    button->setObjectName(QStringLiteral("ButtonCsvExport"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumWidth(90);
    button->setAutoDefault(false);
    button->setEnabled(action->isEnabled());
    connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
    // The bar starts with its stretch; the button goes first after it.
    bar->insertWidget(bar->count() > 0 && bar->itemAt(0)->spacerItem() ? 1 : 0, button);
    return action;
}

CsvExportAction* CsvExportAction::add(QWidget* window, QHBoxLayout* bar, DbGrid* grid,
                                      std::function<QString()> fileName)
{
    return add(
        window, bar, [grid]() -> const DatasetModel* { return grid->datasetModel(); }, std::move(fileName));
}

QString CsvExportAction::chooseFile(QWidget* owner, const QString& proposedPath)
{
    QString path =
        QFileDialog::getSaveFileName(owner, Caption, proposedPath, QStringLiteral("CSVファイル (*.csv)"));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    return path;
}

void CsvExportAction::refresh()
{
    const DatasetModel* model = m_model();
    const bool rows = model && model->rowCount() > 0;
    if (isEnabled() != rows)
        setEnabled(rows);
}

void CsvExportAction::exportNow()
{
    const DatasetModel* model = m_model();
    if (!model)
        return;
    // The rows as they are shown now, before the dialog's own event loop runs.
    const QByteArray bytes = CsvWriter::fromModel(*model);
    QString folder = lastFolder();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = m_chooser(m_window, QDir(folder).filePath(m_fileName()));
    if (path.isEmpty())
        return;
    if (const QString why = Book::outputRefusal(BuildConnectionString(), path); !why.isEmpty())
        throw std::runtime_error(why.toStdString());
    CsvWriter::save(path, bytes);
    lastFolder() = QFileInfo(path).absolutePath();
}
