#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include "testhelp.h"

// Shows `window` and makes it the active window, as a window manager would, so
// that focus changes deliver their events.
inline bool showActive(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Text as a Japanese input method delivers it: the reading being composed,
// then the committed string.
inline void typeCommitted(QWidget* target, const QString& text)
{
    QInputMethodEvent composing(text, {});
    QApplication::sendEvent(target, &composing);
    QInputMethodEvent committed;
    committed.setCommitString(text);
    QApplication::sendEvent(target, &committed);
}

// Keys to whatever has the focus now: the first key typed into a grid opens a
// cell editor, which takes the next ones.
inline void typeKeys(const QString& ascii)
{
    for (const QChar c : ascii)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

inline void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
