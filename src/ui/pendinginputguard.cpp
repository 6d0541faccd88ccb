#include "pendinginputguard.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

PendingInputGuard::PendingInputGuard(QWidget* area, std::function<bool()> commit)
    : QObject(area), m_area(area), m_commit(std::move(commit))
{
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { arm(now && inside(now)); });
    arm(inside(QApplication::focusWidget()));
}

PendingInputGuard::~PendingInputGuard()
{
    arm(false);
}

void PendingInputGuard::arm(bool on)
{
    if (on == m_armed)
        return;
    m_armed = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

// The area itself, its children, and popups it opened (a drop-down list, the
// calendar), which are windows of their own but have the area as parent.
bool PendingInputGuard::inside(const QWidget* widget) const
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w == m_area)
            return true;
    return false;
}

bool PendingInputGuard::isWindowShortcut(const QKeyEvent* event) const
{
    const QKeySequence pressed(event->keyCombination());
    QWidget* window = m_area->window();
    QList<QAction*> actions = window->actions();
    actions += window->findChildren<QAction*>();
    for (const QAction* action : std::as_const(actions)) {
        // Closing drops unsaved input anyway: a refused value must not hold it up.
        if (action->objectName() == u"ActionClose")
            continue;
        for (const QKeySequence& key : action->shortcuts())
            if (key.matches(pressed) == QKeySequence::ExactMatch)
                return true;
    }
    return false;
}

bool PendingInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Sent to the focus widget before the window's shortcuts are looked up.
            if (watched == QApplication::focusWidget() && isWindowShortcut(static_cast<QKeyEvent*>(event)) &&
                !m_commit()) {
                event->accept();  // the key stays with the field; the action does not run
                return true;
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && !inside(widget) && widget->window() == m_area->window() && !m_commit())
                return true;
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
