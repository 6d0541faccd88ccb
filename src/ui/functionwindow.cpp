#include "functionwindow.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

#include "errorreport.h"
#include "messageboxes.h"

namespace {

const char* const ExemptProperty = "corvintaKeepsEnter";

// Push and tool buttons keep Enter: it presses them. Check and radio boxes are
// fields like any other.
bool isPushButton(const QWidget* widget)
{
    auto* button = qobject_cast<const QAbstractButton*>(widget);
    return button && !qobject_cast<const QCheckBox*>(widget) && !qobject_cast<const QRadioButton*>(widget);
}

bool isExempt(const QWidget* widget)
{
    for (; widget && !widget->isWindow(); widget = widget->parentWidget())
        if (widget->property(ExemptProperty).toBool())
            return true;
    return false;
}

}  // namespace

FunctionWindow::FunctionWindow(QWidget* owner) : QDialog(owner)
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("body"));
    root->addWidget(m_body, 1);

    // Enter arrives at the focused child, so the filter watches the application
    // and acts only for this window's own widgets.
    qApp->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        // A window still being created is not shown yet; its refresh runs when it is.
        if (isVisible())
            idleRefresh();
    });
}

FunctionWindow::~FunctionWindow() = default;

void FunctionWindow::FormCreate()
{
    runGuarded([this] {
        setEditing(false);
        Connection.close();
        Connection.open(BuildConnectionString());
        openFixedLists();
        setInitialValues();
    });
}

void FunctionWindow::idleRefresh()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    try {
        updateActions();
        m_refreshFailed = false;
    } catch (...) {
        // Reported once: the box's own event loop runs the refresh again, and a
        // refresh that keeps failing must not stack boxes.
        if (!m_refreshFailed) {
            m_refreshFailed = true;
            reportCurrentException(this);
        }
    }
    m_refreshing = false;

    if (m_statusPanel) {
        const QString text = m_editing ? EditingText : QString();
        if (m_statusPanel->text() != text)
            m_statusPanel->setText(text);
    }
}

QString FunctionWindow::statusText() const
{
    return m_statusPanel ? m_statusPanel->text() : QString();
}

QAction* FunctionWindow::createAction(const QString& name, const QString& caption, const QKeySequence& key,
                                      std::function<void()> handler)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(action);
    connect(action, &QAction::triggered, this, [this, action, handler = std::move(handler)] {
        // Two keys queued in one batch would otherwise both see the state from
        // before the first one acted.
        idleRefresh();
        if (action->isEnabled())
            runGuarded(handler);
    });
    return action;
}

QAction* FunctionWindow::createCloseAction()
{
    return createAction(QStringLiteral("ActionClose"), QStringLiteral("閉じる"),
                        QKeySequence(ActionKey::Close), [this] { close(); });
}

QString FunctionWindow::buttonCaption(const QAction* action)
{
    const QKeySequence key = action->shortcut();
    if (key.isEmpty())
        return action->text();
    return key.toString(QKeySequence::NativeText) + u' ' + action->text();
}

void FunctionWindow::bindButton(QAbstractButton* button, QAction* action)
{
    if (button->text().isEmpty())
        button->setText(buttonCaption(action));
    if (auto* push = qobject_cast<QPushButton*>(button)) {
        // No button becomes the dialog's default: Enter belongs to the fields.
        push->setAutoDefault(false);
        push->setDefault(false);
    }
    button->setEnabled(action->isEnabled());
    connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
}

QHBoxLayout* FunctionWindow::actionBar(std::initializer_list<QAction*> actions)
{
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    for (QAction* action : actions) {
        auto* button = new QPushButton;
        button->setObjectName(QStringLiteral("Button") + action->objectName().mid(int(qstrlen("Action"))));
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumWidth(90);
        bindButton(button, action);
        bar->addWidget(button);
    }
    return bar;
}

bool FunctionWindow::runGuarded(const std::function<void()>& work)
{
    return ::runGuarded(this, work);
}

QString FunctionWindow::statusHint() const
{
    return m_hintPanel ? m_hintPanel->text() : QString();
}

void FunctionWindow::setStatusHint(const QString& text)
{
    if (m_hintPanel && m_hintPanel->text() != text)
        m_hintPanel->setText(text);
}

void FunctionWindow::explainWhenDisabled(QAction* action)
{
    // Live only while the action is disabled: two live shortcuts on one key
    // would both be ambiguous.
    auto* explain = new QShortcut(action->shortcut(), this);
    explain->setContext(Qt::WindowShortcut);
    explain->setEnabled(!action->isEnabled());
    connect(action, &QAction::enabledChanged, explain,
            [explain](bool enabled) { explain->setEnabled(!enabled); });
    connect(explain, &QShortcut::activated, this, [this, action] {
        idleRefresh();
        if (action->isEnabled()) {
            action->trigger();
            return;
        }
        const QString reason = statusHint();
        if (!reason.isEmpty())
            MessageBoxes::warning(this, reason);
    });
}

void FunctionWindow::showEditingStatus()
{
    if (m_statusBar)
        return;
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusPanel = new QLabel(m_statusBar);
    m_statusPanel->setMinimumWidth(100);
    m_statusBar->addWidget(m_statusPanel);
    m_hintPanel = new QLabel(m_statusBar);
    m_hintPanel->setObjectName(QStringLiteral("StatusHint"));
    m_statusBar->addWidget(m_hintPanel, 1);
    layout()->addWidget(m_statusBar);
}

void FunctionWindow::exemptFromEnterAsTab(QWidget* widget)
{
    widget->setProperty(ExemptProperty, true);
}

bool FunctionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleEnter(watched, static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool FunctionWindow::handleEnter(QObject* watched, QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    // Only the copy delivered to the focused widget: what that widget ignores
    // travels on to its parents and must not move the focus a second time.
    QWidget* focused = QApplication::focusWidget();
    if (!focused || watched != focused || focused->window() != this)
        return false;
    if (isPushButton(focused)) {
        // Enter presses a focused button, also where no button is the default.
        static_cast<QAbstractButton*>(focused)->click();
        return true;
    }
    if (!m_enterAsTab || isExempt(focused))
        return false;
    focusNextChild();
    return true;
}

void FunctionWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !m_escapeCloses) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FunctionWindow::showEvent(QShowEvent* event)
{
    idleRefresh();
    QDialog::showEvent(event);
}

void FunctionWindow::closeEvent(QCloseEvent* event)
{
    idleRefresh();  // the editing flag as of the last keystroke
    if (m_editing && isVisible() && !MessageBoxes::confirmCloseWhileEditing(this)) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
