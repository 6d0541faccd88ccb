#include "errorreport.h"

#include <QApplication>
#include <QWidget>

#include <exception>

#include "dberror.h"
#include "messageboxes.h"
#include "refusal.h"

namespace {

// The message of the exception being handled; a refusal of the database is
// told in the words of `window`.
QString messageFor(const QWidget* window)
{
    try {
        throw;
    } catch (const DbError& e) {
        const QString explained = explainRefusal(e, window);
        return explained.isEmpty() ? e.message() : explained;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("予期しないエラーが発生しました。");
    }
}

}  // namespace

QString currentExceptionMessage()
{
    const QWidget* window = QApplication::activeModalWidget();
    return messageFor(window ? window : QApplication::activeWindow());
}

void reportCurrentException(QWidget* context)
{
    // A window that is still being created is not on screen yet: the box then
    // centres on the one that opened it.
    QWidget* parent = context;
    while (parent && !parent->isVisible() && parent->parentWidget())
        parent = parent->parentWidget();
    MessageBoxes::error(parent, messageFor(context ? context->window() : nullptr));
}

bool runGuarded(QWidget* context, const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (...) {
        reportCurrentException(context);
        return false;
    }
}
