#include "keys.h"

#include <QKeyEvent>

namespace Keys {

namespace {

Qt::KeyboardModifiers modifiersOf(const QKeyEvent* event)
{
    return event->modifiers() & ~Qt::KeypadModifier;
}

}  // namespace

bool isDropDown(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = modifiersOf(event);
    return (event->key() == Qt::Key_Down && mods == Qt::AltModifier) ||
           (event->key() == Qt::Key_F4 && mods == Qt::NoModifier);
}

bool isEnter(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           modifiersOf(event) == Qt::NoModifier;
}

}  // namespace Keys
