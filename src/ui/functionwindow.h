#pragma once

#include <QDialog>
#include <QKeySequence>

class QHBoxLayout;

#include <functional>
#include <initializer_list>

#include "connection.h"

class QAbstractButton;
class QAction;
class QLabel;
class QStatusBar;

// The keys that mean the same function in every window.
namespace ActionKey {
inline constexpr Qt::Key Delete = Qt::Key_F9;       // "削除"
inline constexpr Qt::Key Cancel = Qt::Key_F10;      // "編集取消"
inline constexpr Qt::Key DispDetail = Qt::Key_F10;  // "元帳表示" / "伝票表示"
inline constexpr Qt::Key Post = Qt::Key_F11;        // "登録"
inline constexpr Qt::Key Print = Qt::Key_F11;       // "印刷"
inline constexpr Qt::Key Close = Qt::Key_F12;       // "閉じる"
}  // namespace ActionKey

// The base of every function window and dialog that works on the database.
//
// A window builds its controls into body(), declares its actions with
// createAction(), and calls FormCreate() as the last statement of its
// constructor. FormCreate runs the creation step in its fixed order: clear the
// editing flag, open `Connection` on BuildConnectionString(), openFixedLists(),
// setInitialValues(). An error there is shown in the error box and the rest of
// the step is skipped; the window still opens, without data.
//
// Action states and the status text are never set when data changes: the
// window recomputes them in updateActions(), which runs whenever the event loop
// is about to wait (in every open window, also one under a modal dialog), just
// before the window is first shown, and before any of its actions runs.
class FunctionWindow : public QDialog {
    Q_OBJECT

public:
    explicit FunctionWindow(QWidget* owner);
    ~FunctionWindow() override;

    // The idle-time refresh: updateActions(), then the status text. Cheap and
    // idempotent; tests call it directly.
    void idleRefresh();

    bool isEditing() const { return m_editing; }
    // The first panel of the status bar: "編集中" while editing, else empty.
    // Empty in windows that do not show the editing status.
    QString statusText() const;
    QStatusBar* statusBar() const { return m_statusBar; }
    // The status bar's hint: why an action is disabled ("顧客コードが登録されていません。").
    QString statusHint() const;

    bool enterAsTab() const { return m_enterAsTab; }

    inline static const QString EditingText = QStringLiteral("編集中");

    // Exempts `widget` and its children from Enter as Tab (a grid that posts its
    // row on Enter). Public so that such a widget can exempt itself.
    static void exemptFromEnterAsTab(QWidget* widget);

protected:
    // The window's own connection: opened by FormCreate, closed with the window.
    ::Connection Connection;

    // Runs the creation step (see above). Call it once, at the end of the most
    // derived constructor, so that the hooks below reach that class.
    void FormCreate();
    // Opens the window's fixed pick lists, in their order. The connection is open.
    virtual void openFixedLists() {}
    // Sets the initial input values.
    virtual void setInitialValues() {}
    // Recomputes the enabled state of every action (and whatever else the idle
    // refresh keeps current). Must be cheap, must not change data, and must cope
    // with datasets that never opened.
    virtual void updateActions() {}

    // The area the window lays its controls out in; the editing status bar, where
    // shown, sits below it.
    QWidget* body() const { return m_body; }

    // An action of this window: `name` is its objectName ("ActionCommit"),
    // `caption` its text, `key` its shortcut within the window (empty for none).
    // Triggering it refreshes the action states and runs `handler` through the
    // error report only when the action is still enabled.
    QAction* createAction(const QString& name, const QString& caption, const QKeySequence& key,
                          std::function<void()> handler);
    // `ActionClose` "閉じる" (F12): closes the window; while it is editing, only
    // after the user agreed to drop the unsaved data (see closeEvent).
    QAction* createCloseAction();
    // Makes `button` run `action` and follow its enabled state. The button takes
    // the action's key and caption ("F11 登録") unless it has a text already.
    static void bindButton(QAbstractButton* button, QAction* action);
    // The window's bar of action buttons, right-aligned in the given order: one
    // button per action ("ActionPost" gets "ButtonPost"), taking no focus, so
    // that a click runs the action on what the field being typed holds.
    QHBoxLayout* actionBar(std::initializer_list<QAction*> actions);
    // "F11 登録": the key of the action, then its caption; the caption alone for
    // an action without a key. Every window's buttons show their actions so.
    static QString buttonCaption(const QAction* action);

    // Runs `work`; an exception ends it with the error box. True when it finished.
    bool runGuarded(const std::function<void()>& work);

    // Shown in the status bar after the editing status (set from updateActions()).
    void setStatusHint(const QString& text);
    // The key of `action` pressed while the action is disabled shows the status
    // hint in a message box (after the idle refresh; an action enabled by it
    // runs instead).
    void explainWhenDisabled(QAction* action);

    // Windows that edit rows: the flag behind the "編集中" status text.
    void setEditing(bool editing) { m_editing = editing; }
    // Adds the status bar whose first panel shows "編集中" while editing.
    void showEditingStatus();

    // Enter moves the focus on like Tab; on a push button it presses the button
    // (in every window, as buttons take no default role here). A window that
    // uses Enter itself turns this off as a whole; a widget (a grid that posts its
    // row on Enter) is exempted together with its children.
    void setEnterAsTab(bool on) { m_enterAsTab = on; }

    // Escape closes the window only where the window asks for it (a dialog with a
    // cancel button); elsewhere a stray Escape would drop the user's input.
    void setEscapeCloses(bool on) { m_escapeCloses = on; }

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A window that is editing asks before it closes (F12, the frame's button):
    // one habitual key press must not drop a slip. "編集取消" is the explicit
    // discard and does not ask.
    void closeEvent(QCloseEvent* event) override;

private:
    bool handleEnter(QObject* watched, QKeyEvent* event);

    QWidget* m_body = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_hintPanel = nullptr;
    bool m_editing = false;
    bool m_enterAsTab = true;
    bool m_escapeCloses = false;
    bool m_refreshing = false;
    bool m_refreshFailed = false;
};
