#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <memory>

// What a test saw of the message box it answered.
struct SeenBox {
    bool seen = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QString details;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Answers the next message box with `button`, from inside its modal loop. Armed
// before the key or call that opens the box: a timer that looks every
// millisecond until a box is there (a refused field reports once its event is
// done), for a few seconds at most. The test asserts on the record afterwards.
inline std::shared_ptr<SeenBox> answerNextBox(QMessageBox::StandardButton button)
{
    auto seen = std::make_shared<SeenBox>();
    auto* poll = new QTimer;
    poll->setInterval(1);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, seen, tries, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (++*tries > 5000)
                poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        seen->seen = true;
        seen->icon = box->icon();
        seen->text = box->text();
        seen->details = box->detailedText();
        seen->buttons = box->standardButtons();
        if (QPushButton* def = box->defaultButton())
            seen->defaultButton = box->standardButton(def);
        if (QAbstractButton* b = box->button(button))
            b->click();
    });
    poll->start();
    return seen;
}
