#include "messageboxes.h"

#include <QMessageBox>

#include "refusal.h"

namespace {

int show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton safeButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(safeButton);
    // A refusal of the database explained in the window's words keeps the
    // engine's own text in the details.
    if (const QString details = takeRefusalDetails(text); !details.isEmpty())
        box.setDetailedText(details);
    // Escape and the frame's close button give the safe answer.
    box.setEscapeButton(safeButton);
    return box.exec();
}

}  // namespace

namespace MessageBoxes {

bool confirmDelete(QWidget* parent)
{
    return show(parent, QMessageBox::Question, QStringLiteral("確認"), QString::fromUtf16(DeleteQuestion),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool confirmCloseWhileEditing(QWidget* parent)
{
    return show(parent, QMessageBox::Question, QStringLiteral("確認"),
                QString::fromUtf16(CloseWhileEditingQuestion), QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

void warning(QWidget* parent, const QString& text)
{
    show(parent, QMessageBox::Warning, QStringLiteral("警告"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void error(QWidget* parent, const QString& text)
{
    show(parent, QMessageBox::Critical, QStringLiteral("エラー"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void plain(QWidget* parent, const QString& text)
{
    show(parent, QMessageBox::NoIcon, QStringLiteral("Corvinta"), text, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace MessageBoxes
