#include "mastereditform.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QVBoxLayout>

#include "connection.h"
#include "dataset.h"
#include "dbcodeedit.h"
#include "dbedit.h"
#include "dbnumberedit.h"
#include "dbpicklist.h"
#include "fieldlink.h"
#include "masterreferences.h"
#include "messageboxes.h"

using MasterTables::FieldKind;
using MasterTables::FieldSpec;

MasterEditForm::MasterEditForm(QWidget* owner, const MasterTables::EditorSpec& spec)
    : FunctionWindow(owner), m_spec(spec)
{
    setWindowTitle(spec.caption);
    resize(720, 480);

    m_record = new Dataset(Connection, spec.recordSql(), this);
    m_record->setObjectName(spec.dataSetName);
    m_record->setWriteTarget(spec.table, {spec.codeColumn}, Dataset::WriteMode::Immediate);
    m_record->events.beforeInsert = [this] { RecordDataSetBeforeModify(); };
    m_record->events.beforeEdit = [this] { RecordDataSetBeforeModify(); };
    connect(m_record, &Dataset::stateChanged, this, [this] {
        // Inside EditCodeExit the record closes and opens again: the fields keep
        // their state (and a field the user clicked keeps the focus) until it is done.
        if (!m_inCodeExit)
            showFieldsEnabled(m_record->isOpen());
    });
    for (const MasterTables::PickListQuery& list : spec.pickLists)
        m_lists.push_back(new Dataset(Connection, list.sql, this));

    ActionDelete = createAction(QStringLiteral("ActionDelete"), QStringLiteral("削除"),
                                QKeySequence(ActionKey::Delete), [this] { ActionDeleteExecute(); });
    ActionCancel = createAction(QStringLiteral("ActionCancel"), QStringLiteral("編集取消"),
                                QKeySequence(ActionKey::Cancel), [this] { ActionCancelExecute(); });
    ActionPost = createAction(QStringLiteral("ActionPost"), QStringLiteral("登録"),
                              QKeySequence(ActionKey::Post), [this] { ActionPostExecute(); });
    ActionClose = createCloseAction();

    buildForm();
    showEditingStatus();
    // Two panels, 150 and 50 pixels: the first carries "編集中".
    if (auto* first = statusBar()->findChild<QLabel*>())
        first->setFixedWidth(150);
    auto* second = new QLabel(statusBar());
    second->setFixedWidth(50);
    statusBar()->addWidget(second);
    showFieldsEnabled(false);
    EditCode->setFocus();
}

MasterEditForm::~MasterEditForm() = default;

void MasterEditForm::buildForm()
{
    auto* grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    EditCode = new DbCodeEdit(body());
    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditCode->setMaxLength(m_spec.codeWidth);
    EditCode->setMinimumWidth(150);
    auto* codeLabel = new QLabel(m_spec.codeLabel(), body());
    codeLabel->setBuddy(EditCode);
    grid->addWidget(codeLabel, 0, 0);
    grid->addWidget(EditCode, 0, 1);
    connect(EditCode, &DbCodeEdit::exited, this, [this] { runGuarded([this] { EditCodeExit(); }); });
    connect(EditCode, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { EditCodeButtonClick(); }); });

    QWidget* previous = EditCode;
    int row = 1;
    for (const FieldSpec& field : m_spec.fields) {
        QWidget* widget = createField(field);
        widget->setObjectName(QStringLiteral("Field") + field.column);
        auto* label = new QLabel(field.label, body());
        label->setBuddy(widget);
        grid->addWidget(label, row, 0);
        const bool wide = field.kind == FieldKind::Text;
        grid->addWidget(widget, row, 1, 1, wide ? 2 : 1);
        setTabOrder(previous, widget);
        previous = widget;
        m_fields.append({field.column, widget});
        ++row;
    }
    grid->setRowStretch(row, 1);

    // The action bar at the bottom right, in the order 削除, 編集取消, 登録, 閉じる.
    QHBoxLayout* bar = actionBar({ActionDelete, ActionCancel, ActionPost, ActionClose});

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(grid, 1);
    layout->addLayout(bar);
}

QWidget* MasterEditForm::createField(const FieldSpec& field)
{
    FieldLink* link = nullptr;
    QWidget* widget = nullptr;
    switch (field.kind) {
        case FieldKind::Text:
        case FieldKind::TextWithList: {
            auto* edit = new DbEdit(body());
            link = &edit->link();
            link->setManagesEnabled(false);
            edit->bind(*m_record, field.column, field.maxLength);
            widget = edit;
            break;
        }
        case FieldKind::PickList:
        case FieldKind::ClosingDay: {
            auto* list = new DbPickList(body());
            link = &list->link();
            link->setManagesEnabled(false);
            if (field.kind == FieldKind::ClosingDay) {
                QList<PickListItem> items;
                for (const auto& [day, text] : MasterTables::closingDays())
                    items.append({day, text});
                list->setItems(items);
            } else {
                const MasterTables::PickListQuery& source = m_spec.pickLists[field.pickList];
                list->setSource(*m_lists[size_t(field.pickList)], source.codeField, source.nameField);
            }
            list->bind(*m_record, field.column);
            widget = list;
            break;
        }
        case FieldKind::Price:
        case FieldKind::PostalCode: {
            const bool price = field.kind == FieldKind::Price;
            auto* number =
                new DbNumberEdit(price ? DbNumberEdit::Kind::Price : DbNumberEdit::Kind::PostalCode, body());
            if (price)
                number->setCalculatorButton(true);
            number->setMaximumWidth(160);
            link = &number->link();
            link->setManagesEnabled(false);
            number->bind(*m_record, field.column);
            widget = number;
            break;
        }
    }
    return widget;
}

QWidget* MasterEditForm::fieldFor(const QString& column) const
{
    for (const auto& [name, widget] : m_fields)
        if (name == column)
            return widget;
    return nullptr;
}

void MasterEditForm::openFixedLists()
{
    for (Dataset* list : m_lists)
        list->open();
    // The unit field offers the names of its list.
    for (const FieldSpec& field : m_spec.fields) {
        if (field.kind != FieldKind::TextWithList)
            continue;
        const Dataset& list = *m_lists[size_t(field.pickList)];
        const QString nameField = m_spec.pickLists[field.pickList].codeField;
        QStringList names;
        for (int row = 0; row < list.count(); ++row)
            names << list.fieldAt(row, nameField).asText();
        static_cast<DbEdit*>(fieldFor(field.column))->setDropDownList(names);
    }
}

void MasterEditForm::setInitialValues()
{
    // Nothing is loaded: every field, the unit field included, starts empty.
    for (const auto& [column, widget] : std::as_const(m_fields)) {
        if (auto* edit = qobject_cast<DbEdit*>(widget))
            edit->link().refresh();
    }
}

void MasterEditForm::showFieldsEnabled(bool enabled)
{
    for (const auto& [column, widget] : std::as_const(m_fields))
        widget->setEnabled(enabled);
}

void MasterEditForm::RecordDataSetBeforeModify()
{
    setEditing(true);
    EditCode->setEnabled(false);
}

void MasterEditForm::EditCodeExit()
{
    // Only a user leaving an enabled code field counts: disabling it at the
    // start of an edit moves the focus too.
    if (m_inCodeExit || !EditCode->isEnabled() || m_record->isEditing())
        return;
    const QString code = EditCode->text();
    if (code.isEmpty()) {
        EditCode->setFocus();
        return;
    }
    {
        const QScopedValueRollback inExit(m_inCodeExit, true);
        const auto syncFields = qScopeGuard([this] { showFieldsEnabled(m_record->isOpen()); });
        m_record->close();
        // The code exactly as typed: no padding, trimming or case change.
        m_record->setParam(QStringLiteral("Code"), code);
        m_record->open();
        showFieldsEnabled(true);
        if (!m_record->isEmpty())
            return;
        m_record->insert();
        m_record->setValue(m_spec.codeColumn, code);
        EditCode->setText(m_record->field(m_spec.codeColumn).asText());
        for (const auto& [column, value] : m_spec.defaults)
            m_record->setValue(column, value);
    }
}

bool MasterEditForm::focusNextPrevChild(bool next)
{
    // The window's own focus child: after a lookup dialog the window may not be
    // active again yet.
    if (m_inCodeExit || focusWidget() != EditCode || !EditCode->isEnabled())
        return FunctionWindow::focusNextPrevChild(next);
    // The load runs before the focus moves: only then are the fields enabled.
    if (!runGuarded([this] { EditCodeExit(); }))
        return true;
    if (focusWidget() != EditCode || EditCode->text().isEmpty() || !EditCode->isEnabled())
        return true;  // a new row moved the focus on already; an empty code keeps it
    const QScopedValueRollback leaving(m_inCodeExit, true);
    return FunctionWindow::focusNextPrevChild(next);
}

void MasterEditForm::EditCodeButtonClick()
{
    const std::optional<QString> picked = pickCode();
    if (!picked)
        return;
    EditCode->setText(*picked);
    EditCode->setFocus();
    focusNextChild();
}

void MasterEditForm::backToCode(bool emptyCode)
{
    setEditing(false);
    EditCode->setEnabled(true);
    if (emptyCode)
        EditCode->clear();
    // The focus goes back first, so that the fields are not left after the record closed.
    EditCode->setFocus();
    m_record->close();
}

void MasterEditForm::ActionPostExecute()
{
    for (const FieldSpec& field : m_spec.fields) {
        if (!field.required || !m_record->field(field.column).asText().trimmed().isEmpty())
            continue;
        QString label = field.label;
        label.remove(QStringLiteral(" *"));
        MessageBoxes::warning(this, QStringLiteral("%1が入力されていません。").arg(label));
        if (QWidget* widget = fieldFor(field.column))
            widget->setFocus(Qt::OtherFocusReason);
        return;  // still editing: nothing written
    }
    m_record->post();  // a refusal leaves the row in editing, with the flag set
    backToCode(true);
}

void MasterEditForm::ActionCancelExecute()
{
    m_record->cancel();
    backToCode(false);
}

void MasterEditForm::ActionDeleteExecute()
{
    const QString code = m_record->field(m_spec.codeColumn).asText();
    QString refusal = MasterReferences::deleteRefusal(Connection, m_spec.table, code);
    if (refusal.isEmpty()) {
        if (!MessageBoxes::confirmDelete(this))
            return;
        // Asked again under the write lock: a slip saved while the question was
        // open still keeps its record.
        Transaction transaction(Connection);
        refusal = MasterReferences::deleteRefusal(Connection, m_spec.table, code);
        if (refusal.isEmpty()) {
            m_record->remove();
            transaction.commit();
            backToCode(true);
            return;
        }
    }
    // The record stays loaded, as it was.
    MessageBoxes::warning(this, refusal);
}

void MasterEditForm::updateActions()
{
    const bool editing = isEditing();
    ActionPost->setEnabled(editing);
    ActionCancel->setEnabled(editing);
    ActionDelete->setEnabled(!editing && m_record->state() == Dataset::State::Browse &&
                             m_record->currentRow() >= 0);
}
