#include "modaldriver.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

ModalDriver::ModalDriver()
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::tick);
    m_timer.start();
}

ModalDriver& ModalDriver::then(Step step)
{
    m_steps.append(std::move(step));
    return *this;
}

ModalDriver& ModalDriver::answer(QMessageBox::StandardButton button)
{
    return then([this, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        QPushButton* def = box->defaultButton();
        boxes.append({box->icon(), box->windowTitle(), box->text(), box->standardButtons(),
                      def ? box->standardButton(def) : QMessageBox::NoButton});
        if (button == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else if (QAbstractButton* b = box->button(button))
            b->click();
    });
}

ModalDriver& ModalDriver::closeIt()
{
    return then([](QWidget* modal) { modal->close(); });
}

void ModalDriver::tick()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_last || m_steps.isEmpty() || !modal->isVisible())
        return;
    // As a window manager would: the modal window is active before the user acts.
    if (QApplication::activeWindow() != modal) {
        QApplication::setActiveWindow(modal);
        return;
    }
    m_last = modal;
    seen.append(QString::fromLatin1(modal->metaObject()->className()));
    const Step step = m_steps.takeFirst();
    step(modal);
}
