#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

// Stores what the user typed into a field or grid cell before anything else in
// the window acts on it. A field stores its value when the focus leaves it, but
// two things act without moving the focus: a window action's key (F11 "登録"
// pressed while still in the field) and a click on a button that takes no focus
// (a tool button). Without this guard such an action would run on the old value.
//
// While the focus is inside `area`, the guard watches the application's input:
// before a key that is the shortcut of one of the window's actions, and before a
// mouse press on another widget of the window, it calls `commit`. When `commit`
// refuses the value (returns false), the key or press is swallowed: the action
// does not run on a value the user has just been told is wrong. The close
// action ("ActionClose") is left alone: closing drops unsaved input anyway.
class PendingInputGuard : public QObject {
    Q_OBJECT

public:
    PendingInputGuard(QWidget* area, std::function<bool()> commit);
    ~PendingInputGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void arm(bool on);
    bool inside(const QWidget* widget) const;
    bool isWindowShortcut(const QKeyEvent* event) const;

    QWidget* m_area;
    std::function<bool()> m_commit;
    bool m_armed = false;
};
