#include "mainform.h"

#include <QAction>
#include <QButtonGroup>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

#include "aboutcorvintadlg.h"
#include "book.h"
#include "bookcheck.h"
#include "connection.h"
#include "dberror.h"
#include "errorreport.h"
#include "launcher.h"
#include "messageboxes.h"
#include "modal.h"

namespace {

constexpr int BarWidth = 87;
constexpr int BarIconSize = 48;
constexpr int ListIconSize = 60;

const char* const BarStyle = R"(
#PageBar { background: #5b6b7d; }
#BarGroup {
    background: #dfe4ea; color: #1f2933; padding: 3px;
    border: 1px solid #3e4a57; border-top-color: #ffffff; border-left-color: #ffffff;
}
#PageBar QToolButton {
    color: #ffffff; background: transparent; border: 1px solid transparent;
    border-radius: 3px; padding: 4px 2px;
}
#PageBar QToolButton:hover { border-color: #c9d3de; }
#PageBar QToolButton:checked { background: #3d4a58; border-color: #27313b; }
)";

}  // namespace

TMainForm::TMainForm(const WindowRegistry& windows, QWidget* parent) : QMainWindow(parent), m_windows(windows)
{
    setWindowTitle(QStringLiteral("Corvinta"));
    createActions();

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createPageBar());
    createPages();
    layout->addWidget(PageControl, 1);
    setCentralWidget(central);

    createMenus();
    createStatusBar();

    const QString filter = QStringLiteral("データベース (*.mdb *.db *.bak);;すべてのファイル (*)");
    chooseBackupTarget = [filter](QWidget* owner, const QString& proposed) {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("バックアップ"), proposed, filter);
    };
    chooseRestoreSource = [filter](QWidget* owner) {
        const QString backups =
            QFileInfo(BuildConnectionString()).absoluteDir().filePath(QStringLiteral("backup"));
        return QFileDialog::getOpenFileName(owner, QStringLiteral("復元"), backups, filter);
    };

    resize(680, 480);
    setMinimumSize(680, 480);
    if (QScreen* screen = this->screen())
        setGeometry(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

void TMainForm::createActions()
{
    for (const Launcher::Entry& entry : Launcher::entries()) {
        const QString name = QLatin1String(entry.action);
        auto* action = new QAction(QString::fromUtf16(entry.menuCaption), this);
        action->setObjectName(name);
        // An entry whose window is not built yet cannot run.
        action->setEnabled(m_windows.has(name));
        connect(action, &QAction::triggered, this, [this, a = entry.action] { openWindow(a); });
        m_actions.insert(name, action);
    }

    mnuFileBackup = new QAction(QStringLiteral("バックアップ(&B)..."), this);
    mnuFileBackup->setObjectName(QStringLiteral("mnuFileBackup"));
    connect(mnuFileBackup, &QAction::triggered, this, &TMainForm::mnuFileBackupClick);
    mnuFileRestore = new QAction(QStringLiteral("復元(&R)..."), this);
    mnuFileRestore->setObjectName(QStringLiteral("mnuFileRestore"));
    connect(mnuFileRestore, &QAction::triggered, this, &TMainForm::mnuFileRestoreClick);
    mnuFileCheck = new QAction(QStringLiteral("帳簿の点検"), this);
    mnuFileCheck->setObjectName(QStringLiteral("mnuFileCheck"));
    connect(mnuFileCheck, &QAction::triggered, this, &TMainForm::mnuFileCheckClick);
    mnuFileClose = new QAction(QStringLiteral("終了(&X)"), this);
    mnuFileClose->setObjectName(QStringLiteral("mnuFileClose"));
    connect(mnuFileClose, &QAction::triggered, this, &TMainForm::mnuFileCloseClick);
    mnuHelpAbout = new QAction(QStringLiteral("バージョン情報(&V)"), this);
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout, &QAction::triggered, this, &TMainForm::mnuHelpAboutClick);
}

QWidget* TMainForm::createPageBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PageBar"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setFixedWidth(BarWidth);
    bar->setStyleSheet(QLatin1String(BarStyle));

    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* group = new QLabel(QStringLiteral("メイン"), bar);
    group->setObjectName(QStringLiteral("BarGroup"));
    group->setAlignment(Qt::AlignCenter);
    layout->addWidget(group);

    m_bar = new QButtonGroup(this);
    m_bar->setExclusive(true);
    int index = 0;
    for (const Launcher::Page& page : Launcher::pages()) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QStringLiteral("BarButton%1").arg(index + 1));
        button->setText(QString::fromUtf16(page.barCaption));
        button->setIcon(QIcon(QLatin1String(page.barIcon)));
        button->setIconSize(QSize(BarIconSize, BarIconSize));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setCheckable(true);
        button->setFixedWidth(BarWidth - 8);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button, 0, Qt::AlignHCenter);
        m_bar->addButton(button, index++);
    }
    layout->addStretch(1);
    m_bar->button(0)->setChecked(true);
    // A bar button only shows its page; it never opens a window.
    connect(m_bar, &QButtonGroup::idClicked, this, [this](int id) { PageControl->setCurrentIndex(id); });
    return bar;
}

void TMainForm::createPages()
{
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->tabBar()->hide();
    QListWidget** views[] = {&ListViewSlip, &ListViewDocument, &ListViewMaster, &ListViewSetting};

    int pageIndex = 0;
    for (const Launcher::Page& page : Launcher::pages()) {
        auto* sheet = new QWidget(PageControl);
        sheet->setObjectName(QLatin1String(page.sheet));
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->setContentsMargins(0, 0, 0, 0);

        auto* list = new QListWidget(sheet);
        list->setObjectName(QLatin1String(page.listView));
        list->setViewMode(QListView::IconMode);
        list->setIconSize(QSize(ListIconSize, ListIconSize));
        list->setGridSize(QSize(104, 100));
        list->setMovement(QListView::Static);
        list->setResizeMode(QListView::Adjust);
        list->setWordWrap(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        for (const Launcher::Entry& entry : Launcher::entries()) {
            if (entry.page != pageIndex)
                continue;
            auto* item = new QListWidgetItem(QIcon(QLatin1String(page.icons.at(entry.icon))),
                                             QString::fromUtf16(entry.caption), list);
            item->setData(DescriptionRole, QString::fromUtf16(entry.description));
            item->setData(IconIndexRole, entry.icon);
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
            if (!action(QLatin1String(entry.action))->isEnabled())
                item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
        }
        connect(list, &QListWidget::itemDoubleClicked, this, [this, list] { ListViewDblClick(list); });
        list->installEventFilter(this);
        *views[pageIndex] = list;

        sheetLayout->addWidget(list);
        PageControl->addTab(sheet, QString::fromUtf16(page.tabCaption));
        ++pageIndex;
    }
    PageControl->setCurrentIndex(0);
}

void TMainForm::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(mnuFileBackup);
    file->addAction(mnuFileRestore);
    file->addAction(mnuFileCheck);
    file->addSeparator();
    file->addAction(mnuFileClose);
    for (const Launcher::Menu& m : Launcher::menus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf16(m.title));
        menu->setObjectName(QLatin1String(m.name));
        for (const char* item : m.items) {
            if (item)
                menu->addAction(action(QLatin1String(item)));
            else
                menu->addSeparator();
        }
    }
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    help->addAction(mnuHelpAbout);
}

void TMainForm::createStatusBar()
{
    // Two panels; the first tells what happened to the book's backups.
    for (int width : {300, 50}) {
        auto* panel = new QLabel(statusBar());
        panel->setFixedWidth(width);
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        statusBar()->addWidget(panel);
        if (!m_statusPanel)
            m_statusPanel = panel;
    }
    // At the right, the book the windows work on.
    m_bookPanel = new QLabel(statusBar());
    m_bookPanel->setObjectName(QStringLiteral("BookPanel"));
    statusBar()->addPermanentWidget(m_bookPanel);
}

QList<QListWidget*> TMainForm::listViews() const
{
    return {ListViewSlip, ListViewDocument, ListViewMaster, ListViewSetting};
}

QList<QToolButton*> TMainForm::barButtons() const
{
    QList<QToolButton*> buttons;
    for (QAbstractButton* b : m_bar->buttons())
        buttons.append(static_cast<QToolButton*>(b));
    return buttons;
}

QAction* TMainForm::action(const QString& name) const
{
    return m_actions.value(name);
}

void TMainForm::ListViewDblClick(QListWidget* sender)
{
    const QList<QListWidgetItem*> selected = sender->selectedItems();
    if (selected.isEmpty())
        return;
    const QString caption = selected.first()->text();
    if (const Launcher::Entry* entry = Launcher::findByCaption(caption))
        action(QLatin1String(entry->action))->trigger();
}

bool TMainForm::ListViewKeyDown(QListWidget* sender, int key, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift);
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    ListViewDblClick(sender);
    return true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* list = qobject_cast<QListWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (list && listViews().contains(list) && ListViewKeyDown(list, key->key(), key->modifiers()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::openWindow(const char* actionName)
{
    const WindowRegistry::Factory factory = m_windows.factory(QLatin1String(actionName));
    if (!factory)
        return;
    runGuarded(this, [&] {
        std::unique_ptr<QDialog> window(factory(this));
        if (window)
            execModal(std::move(window));
    });
}

void TMainForm::setBookUsable(bool usable)
{
    m_bookUsable = usable;
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        it.value()->setEnabled(usable && m_windows.has(it.key()));
    mnuFileBackup->setEnabled(usable);
    mnuFileCheck->setEnabled(usable);
}

void TMainForm::showStatus(const QString& text)
{
    m_statusPanel->setText(text);
    m_statusPanel->setToolTip(text);
}

QString TMainForm::statusText() const
{
    return m_statusPanel->text();
}

namespace {

// Work on the whole book (an upgrade, the check) that takes a while: it runs
// in a worker thread beside the event loop under a busy dialog (user input held
// back), so the window stays drawn and the user sees that work is going on.
// What the work throws is thrown here.
void runWithProgress(QWidget* parent, const QString& title, const QString& label,
                     const std::function<void()>& work)
{
    QProgressDialog progress(label, QString(), 0, 0, parent);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (failure)
        std::rethrow_exception(failure);
}

void upgradeWithProgress(QWidget* parent, const QString& path)
{
    runWithProgress(parent, QStringLiteral("帳簿の更新"), QStringLiteral("帳簿を新しい版に更新しています…"),
                    [&] { Book::upgrade(path); });
}

// The kept figures checked and rebuilt on the worker's own connection.
BookCheck::Result checkWithProgress(QWidget* parent, const QString& path)
{
    BookCheck::Result result;
    runWithProgress(parent, QStringLiteral("帳簿の点検"),
                    QStringLiteral("帳簿の集計を明細から点検しています…"), [&] {
                        Connection c(path);
                        result = BookCheck::checkAndRebuild(c);
                    });
    return result;
}

// A check's findings for a message box: the first few, then how many more.
QString findingsText(const BookCheck::Result& result)
{
    constexpr int Shown = 20;
    const QStringList lines = result.lines();
    QString text = result.summary();
    for (int i = 0; i < lines.size() && i < Shown; ++i)
        text += QLatin1Char('\n') + lines[i];
    if (lines.size() > Shown)
        text += QStringLiteral("\n…ほか %1 件").arg(lines.size() - Shown);
    return text;
}

// A path as the status bar shows it: the home folder as "~", so the book's
// own folder and name fit the panel.
QString shownPath(const QString& path)
{
    const QString home = QDir::homePath();
    QString shown = QDir::toNativeSeparators(path);
    if (home.size() > 1 && path.startsWith(home + QLatin1Char('/')))
        shown = QStringLiteral("~") + QDir::toNativeSeparators(path.mid(home.size()));
    return shown;
}

}  // namespace

bool TMainForm::openBook()
{
    const QString path = BuildConnectionString();
    m_bookPanel->setText(QStringLiteral("帳簿: %1").arg(shownPath(path)));
    m_bookPanel->setToolTip(QDir::toNativeSeparators(path));
    // Half-written copies of a backup or an upgrade killed earlier go first.
    Book::removeLeftovers(path);
    Book::State state = Book::inspect(path, Book::Depth::Full);
    if (state.kind == Book::State::Older) {
        try {
            upgradeWithProgress(this, path);
            state = Book::inspect(path, Book::Depth::Quick);
        } catch (const DbError& e) {
            setBookUsable(false);
            MessageBoxes::error(this, e.message());
            return false;
        }
    }
    if (state.kind != Book::State::Ok) {
        setBookUsable(false);
        MessageBoxes::error(this, Book::problemMessage(path, state));
        return false;
    }
    setBookUsable(true);
    // A backup that fails never stops the day's work: it is noted once.
    try {
        const QString written = Book::makeDailyBackup(path, QDate::currentDate());
        if (!written.isEmpty())
            showStatus(QStringLiteral("自動バックアップ: %1").arg(shownPath(written)));
    } catch (const DbError& e) {
        showStatus(QStringLiteral("自動バックアップできませんでした: %1").arg(e.message()));
    }
    startBackgroundCheck(path);
    return true;
}

TMainForm::~TMainForm()
{
    waitForBackgroundCheck();
}

void TMainForm::waitForBackgroundCheck()
{
    if (m_checkThread)
        m_checkThread->wait();
    m_checkThread.reset();
}

void TMainForm::startBackgroundCheck(const QString& path)
{
    waitForBackgroundCheck();
    m_checkThread.reset(QThread::create([this, path] {
        QString status;
        try {
            Connection c(path);
            const BookCheck::Result result = BookCheck::checkAndRebuild(c);
            if (!result.clean())
                status = result.summary() + QLatin1Char(' ') + result.lines().join(QStringLiteral("、"));
        } catch (const DbError& e) {
            status = QStringLiteral("帳簿の点検ができませんでした: %1").arg(e.message());
        } catch (const std::exception& e) {
            status = QStringLiteral("帳簿の点検ができませんでした: %1").arg(QString::fromUtf8(e.what()));
        }
        // Told in the window's thread; nothing when every figure agreed.
        if (!status.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, status] { showStatus(status); }, Qt::QueuedConnection);
    }));
    m_checkThread->start();
}

void TMainForm::mnuFileCheckClick()
{
    runGuarded(this, [this] {
        waitForBackgroundCheck();
        const BookCheck::Result result = checkWithProgress(this, BuildConnectionString());
        if (!result.clean())
            showStatus(result.summary());
        QMessageBox::information(this, QStringLiteral("帳簿の点検"), findingsText(result));
    });
}

void TMainForm::mnuFileBackupClick()
{
    runGuarded(this, [this] {
        const QString book = BuildConnectionString();
        const QString proposed = QFileInfo(book).absoluteDir().filePath(
            QStringLiteral("BaseDB-%1.mdb")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"))));
        const QString target = chooseBackupTarget(this, proposed);
        if (target.isEmpty())
            return;
        if (QFileInfo(target).absoluteFilePath() == QFileInfo(book).absoluteFilePath())
            throw DbError(QStringLiteral(
                "使用中のデータベースそのものにはバックアップできません。別のファイル名を選んでください。"));
        Book::copyBook(book, target);
        showStatus(QStringLiteral("バックアップしました: %1").arg(QDir::toNativeSeparators(target)));
    });
}

void TMainForm::mnuFileRestoreClick()
{
    runGuarded(this, [this] {
        for (QDialog* d : findChildren<QDialog*>())
            if (d->isVisible()) {
                MessageBoxes::warning(
                    this, QStringLiteral("開いているウィンドウをすべて閉じてから復元してください。"));
                return;
            }
        const QString source = chooseRestoreSource(this);
        if (source.isEmpty())
            return;
        // Nothing may hold the book while it is replaced.
        waitForBackgroundCheck();
        const QString book = BuildConnectionString();
        const auto answer = QMessageBox::question(
            this, QStringLiteral("復元"),
            QStringLiteral("データベース %1 を %2 "
                           "の内容で置き換えます。今のファイルは別の名前で残します。よろしいですか?")
                .arg(QDir::toNativeSeparators(book), QDir::toNativeSeparators(source)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        const QString aside = Book::restore(book, source);
        if (openBook())
            QMessageBox::information(this, QStringLiteral("復元"),
                                     QStringLiteral("復元しました。元のファイルは %1 に残しました。")
                                         .arg(QDir::toNativeSeparators(aside)));
    });
}

void TMainForm::mnuFileCloseClick()
{
    close();
}

void TMainForm::mnuHelpAboutClick()
{
    runGuarded(this, [this] { openModal<TAboutCorvintaDlg>(this); });
}

// clang-format off
void TMainForm::ActionInputSalesExecute() { openWindow("ActionInputSales"); }
void TMainForm::ActionInputMoneyReceiveExecute() { openWindow("ActionInputMoneyReceive"); }
void TMainForm::ActionInputBuyingExecute() { openWindow("ActionInputBuying"); }
void TMainForm::ActionInputPaymentExecute() { openWindow("ActionInputPayment"); }
void TMainForm::ActionSalesDetailListExecute() { openWindow("ActionSalesDetailList"); }
void TMainForm::ActionBuyingDetailListExecute() { openWindow("ActionBuyingDetailList"); }
void TMainForm::ActionAccountsReceivableListExecute() { openWindow("ActionAccountsReceivableList"); }
void TMainForm::ActionLedgerCustomerExecute() { openWindow("ActionLedgerCustomer"); }
void TMainForm::ActionAccountsPayableListExecute() { openWindow("ActionAccountsPayableList"); }
void TMainForm::ActionLedgerSupplierExecute() { openWindow("ActionLedgerSupplier"); }
void TMainForm::ActionItemStockListExecute() { openWindow("ActionItemStockList"); }
void TMainForm::ActionLedgerItemExecute() { openWindow("ActionLedgerItem"); }
void TMainForm::ActionMonthSalesSummaryExecute() { openWindow("ActionMonthSalesSummary"); }
void TMainForm::ActionMonthBuyingSummaryExecute() { openWindow("ActionMonthBuyingSummary"); }
void TMainForm::ActionMonthSummaryExecute() { openWindow("ActionMonthSummary"); }
void TMainForm::ActionYearSalesSummaryExecute() { openWindow("ActionYearSalesSummary"); }
void TMainForm::ActionYearBuyingSummaryExecute() { openWindow("ActionYearBuyingSummary"); }
void TMainForm::ActionBillIssueExecute() { openWindow("ActionBillIssue"); }
void TMainForm::ActionInputItemExecute() { openWindow("ActionInputItem"); }
void TMainForm::ActionInputItemCategoExecute() { openWindow("ActionInputItemCatego"); }
void TMainForm::ActionInputCustomerExecute() { openWindow("ActionInputCustomer"); }
void TMainForm::ActionInputSupplierExecute() { openWindow("ActionInputSupplier"); }
void TMainForm::ActionInputEmployeeExecute() { openWindow("ActionInputEmployee"); }
void TMainForm::ActionInputUnitExecute() { openWindow("ActionInputUnit"); }
void TMainForm::ActionInputCompanyExecute() { openWindow("ActionInputCompany"); }
void TMainForm::ActionInputTaxExecute() { openWindow("ActionInputTax"); }
// clang-format on
