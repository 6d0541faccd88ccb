#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

// Answers the modal windows that a call opens, one step per window, in order.
// Arm it before the call that runs exec(): its timer looks at
// QApplication::activeModalWidget() from inside the modal loop. A step must not
// use QVERIFY (that only leaves the step): record what it sees and assert after.
class ModalDriver : public QObject {
    Q_OBJECT

public:
    using Step = std::function<void(QWidget* modal)>;

    ModalDriver();

    // Runs `step` on the next modal window not handled yet.
    ModalDriver& then(Step step);
    // The next modal window must be a message box: records it, then presses `answer`
    // (or closes it with Escape when `answer` is NoButton).
    ModalDriver& answer(QMessageBox::StandardButton answer);
    // The next modal window is closed through close().
    ModalDriver& closeIt();

    bool finished() const { return m_steps.isEmpty(); }

    struct Box {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };
    // Every message box a step of this driver answered.
    QList<Box> boxes;
    // The class name of every modal window a step was run on.
    QStringList seen;

private:
    void tick();

    QTimer m_timer;
    QList<Step> m_steps;
    QPointer<QWidget> m_last;
};
