#pragma once

#include <QDialog>

#include <memory>
#include <utility>

// Opening a window from another: the window is created owned by its opener,
// shown modally, and deleted when it closes, on every path (an error while it
// is created or prepared included: the unique_ptr releases it and the error
// travels on to the caller's error report).

// Shows `window` modally, deletes it, and returns its result.
inline int execModal(std::unique_ptr<QDialog> window)
{
    return window->exec();
}

// Creates W(owner, args...), shows it modally, deletes it.
template <class W, class... Args>
int openModal(QWidget* owner, Args&&... args)
{
    return execModal(std::make_unique<W>(owner, std::forward<Args>(args)...));
}

// Creates W(owner), lets `prepare(W&)` set it up (a slip number, OpenSlip),
// shows it modally, lets `finish(W&, int result)` read its result
// (SelectedCode), deletes it.
template <class W, class Prepare, class Finish>
int openModalWith(QWidget* owner, Prepare&& prepare, Finish&& finish)
{
    auto window = std::make_unique<W>(owner);
    prepare(*window);
    const int result = window->exec();
    finish(*window, result);
    return result;
}
