#include "errorreport.h"

#include <QWidget>

#include <exception>

#include "dberror.h"
#include "messageboxes.h"

QString currentExceptionMessage()
{
    try {
        throw;
    } catch (const DbError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("予期しないエラーが発生しました。");
    }
}

void reportCurrentException(QWidget* context)
{
    // A window that is still being created is not on screen yet: the box then
    // centres on the one that opened it.
    QWidget* parent = context;
    while (parent && !parent->isVisible() && parent->parentWidget())
        parent = parent->parentWidget();
    MessageBoxes::error(parent, currentExceptionMessage());
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
