#include "refusal.h"

#include <QAbstractItemView>
#include <QHash>
#include <QLabel>
#include <QRegularExpression>
#include <QWidget>

#include "datasetmodel.h"
#include "dberror.h"
#include "fieldlink.h"

namespace {

constexpr int EngineConstraint = 19;  // SQLITE_CONSTRAINT

QHash<QString, QString>& pendingDetails()
{
    static QHash<QString, QString> details;
    return details;
}

QString cleanLabel(QString text)
{
    text.remove(u'&');
    while (text.endsWith(u':') || text.endsWith(u'：') || text.endsWith(u' '))
        text.chop(1);
    return text;
}

// "table.column" or a bare column, without quotes.
QString columnOf(QString name)
{
    name = name.trimmed();
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot >= 0)
        name = name.mid(dot + 1);
    name.remove(u'"');
    return name;
}

}  // namespace

QString fieldLabel(const QWidget* window, const QString& column)
{
    if (!window)
        return {};
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        const QWidget* buddy = label->buddy();
        if (!buddy)
            continue;
        for (const FieldLink* link : buddy->findChildren<FieldLink*>())
            if (link->fieldName() == column)
                return cleanLabel(label->text());
    }
    for (const QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
        const auto* model = qobject_cast<const DatasetModel*>(view->model());
        if (!model)
            continue;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->columnSpec(c).field == column && !model->columnSpec(c).title.isEmpty())
                return cleanLabel(model->columnSpec(c).title);
    }
    return {};
}

QString explainRefusal(const DbError& error, const QWidget* window)
{
    if (error.engineCode() != EngineConstraint)
        return {};
    const QString engine = error.message();
    auto label = [window](const QString& column) {
        const QString shown = fieldLabel(window, column);
        return shown.isEmpty() ? column : shown;
    };
    static const QRegularExpression unique(QStringLiteral("UNIQUE constraint failed: (.+)$"));
    static const QRegularExpression notNull(QStringLiteral("NOT NULL constraint failed: (.+)$"));
    static const QRegularExpression tooLong(
        QStringLiteral("CHECK constraint failed: length\\(\"?([^)\"]+)\"?\\) <= (\\d+)"));
    static const QRegularExpression range(
        QStringLiteral("CHECK constraint failed: .*?\"?([^\\s(\"]+)\"? BETWEEN (-?\\d+) AND (-?\\d+)"));
    static const QRegularExpression check(
        QStringLiteral("CHECK constraint failed: .*?\\(\"?([^()\"',\\s]+)"));

    QString text;
    QRegularExpressionMatch m;
    if ((m = unique.match(engine)).hasMatch()) {
        QStringList names;
        for (const QString& part : m.captured(1).split(u','))
            names << label(columnOf(part));
        text = QStringLiteral("この%1は既に登録されています。").arg(names.join(QStringLiteral("・")));
    } else if ((m = notNull.match(engine)).hasMatch()) {
        text = QStringLiteral("%1を入力してください。").arg(label(columnOf(m.captured(1))));
    } else if ((m = tooLong.match(engine)).hasMatch()) {
        text = QStringLiteral("%1は%2文字以内で入力してください。")
                   .arg(label(columnOf(m.captured(1))), m.captured(2));
    } else if ((m = range.match(engine)).hasMatch()) {
        text = QStringLiteral("%1は%2から%3までの値で入力してください。")
                   .arg(label(columnOf(m.captured(1))), m.captured(2), m.captured(3));
    } else if (engine.contains(QLatin1String("FOREIGN KEY constraint failed"))) {
        text = QStringLiteral("参照先のデータが登録されていません。参照するコードを確かめてください。");
    } else if ((m = check.match(engine)).hasMatch()) {
        text = QStringLiteral("%1の値が正しくありません。").arg(label(columnOf(m.captured(1))));
    } else {
        return {};  // a refusal with words of its own (a trigger's) stands as it is
    }
    pendingDetails().clear();
    pendingDetails().insert(text, engine);
    return text;
}

QString takeRefusalDetails(const QString& text)
{
    return pendingDetails().take(text);
}
