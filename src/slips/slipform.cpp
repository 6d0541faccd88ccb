#include "slipform.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dbcodeedit.h"
#include "dbdateedit.h"
#include "dbeditgrid.h"
#include "dberror.h"
#include "dbtext.h"
#include "errorreport.h"
#include "fieldlink.h"
#include "findslipdlg.h"
#include "graypanel.h"
#include "messageboxes.h"
#include "sliplookups.h"

SlipForm::SlipForm(QWidget* owner, const SlipKind& kind, EditorFactory makeEditor)
    : FunctionWindow(owner), m_kind(kind), m_editor(makeEditor(Connection, kind))
{
    setWindowTitle(kind.formCaption);
    resize(800, 540);

    // Top band.
    EditCode = new DbCodeEdit;
    EditCode->setObjectName(QStringLiteral("EditCode"));
    EditCode->setDigitsOnly(2147483647);
    EditCode->setAlignment(Qt::AlignRight);
    EditCode->setFixedWidth(120);
    // Enter in EditCode opens the slip before the focus moves on.
    exemptFromEnterAsTab(EditCode);
    EditCode->installEventFilter(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("伝票番号")));
    top->addWidget(EditCode);
    top->addStretch(1);

    // Input area: the fields every kind has; the kind adds the rest.
    GrayPanel = new TGrayPanel;
    GrayPanel->setObjectName(QStringLiteral("GrayPanel"));
    m_panelLayout = new QVBoxLayout(GrayPanel);
    dateEdit = new DbDateEdit;
    dateEdit->setObjectName(kind.dateField);
    dateEdit->bind(editor().HeaderDataSet, kind.dateField);
    partnerEdit = new DbCodeEdit;
    partnerEdit->setObjectName(kind.side->objectName(QStringLiteral("DBComboEdit")));
    partnerEdit->bind(editor().HeaderDataSet, kind.partnerField(), 13);
    partnerName = new DbText;
    partnerName->setObjectName(kind.side->objectName(QStringLiteral("DBText"), QStringLiteral("Name")));
    partnerName->setFrameShape(QFrame::StyledPanel);
    partnerName->setMinimumWidth(250);
    partnerName->bind(editor().PartnerDataSet, kind.partnerNameField());

    // Bottom band: flat buttons that take no focus, bound to the actions.
    ActionDelete = createAction(QStringLiteral("ActionDelete"), QStringLiteral("削除"),
                                QKeySequence(ActionKey::Delete), [this] { ActionDeleteExecute(); });
    ActionCancel = createAction(QStringLiteral("ActionCancel"), QStringLiteral("編集取消"),
                                QKeySequence(ActionKey::Cancel), [this] { ActionCancelExecute(); });
    ActionCommit = createAction(QStringLiteral("ActionCommit"), QStringLiteral("登録"),
                                QKeySequence(ActionKey::Post), [this] { ActionCommitExecute(); });
    ActionClose = createCloseAction();
    // F11 while "登録" is disabled says why, in a message box.
    explainWhenDisabled(ActionCommit);
    QHBoxLayout* bottom = actionBar({ActionDelete, ActionCancel, ActionCommit, ActionClose});

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(top);
    layout->addWidget(GrayPanel, 1);
    layout->addLayout(bottom);
    showEditingStatus();

    editor().beforeModify = [this] {
        // The number of a slip being entered stays until it is saved or cancelled.
        setEditing(true);
        EditCode->setEnabled(false);
    };
    editor().totalsChanged = [this] { ShowTotals(); };

    connect(EditCode, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { EditCodeButtonClick(); }); });
    connect(partnerEdit, &DbCodeEdit::buttonClicked, this,
            [this] { runGuarded([this] { partnerEditButtonClick(); }); });
    // Whenever a typed code is stored (the field left, or an action's key pressed
    // inside it), its partner is looked up: the save conditions judge that row.
    connect(&partnerEdit->link(), &FieldLink::committed, this,
            [this] { runGuarded([this] { RefreshPartner(); }); });
}

SlipForm::~SlipForm()
{
    editor().beforeModify = nullptr;
    editor().totalsChanged = nullptr;
    // The fields and the grid go before the datasets they show.
    delete GrayPanel;
    GrayPanel = nullptr;
}

void SlipForm::openFixedLists()
{
    editor().openFixedLists();
}

void SlipForm::setInitialValues()
{
    GrayPanel->setEnabled(false);
    EditCode->setFocus();
}

bool SlipForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EditCode && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            runGuarded([this] { EditCodeKeyDown(); });
            // Then on as Tab: once a slip is open, to its date.
            if (dateEdit->isEnabled())
                dateEdit->setFocus(Qt::TabFocusReason);
            else if (EditCode->hasFocus())
                focusNextChild();
            return true;
        }
    }
    return FunctionWindow::eventFilter(watched, event);
}

void SlipForm::EditCodeKeyDown()
{
    if (EditCode->text().isEmpty())
        EditCode->setText(QString::number(editor().nextSlipNo()));
    OpenSlip();
}

void SlipForm::EditCodeButtonClick()
{
    const std::optional<int> slipNo = FindSlipDlg::pick(this, m_kind);
    if (!slipNo)
        return;
    EditCode->setText(QString::number(*slipNo));
    EditCodeKeyDown();
}

void SlipForm::OpenSlip()
{
    bool ok = false;
    const int slipNo = EditCode->text().toInt(&ok);
    if (!ok)
        throw DbError(QStringLiteral("伝票番号が正しくありません: 「%1」").arg(EditCode->text()));
    try {
        editor().openSlip(slipNo);
        setEditing(editor().isEditing());
        RefreshPartner();
        refreshOtherLookups();
        ShowTotals();
    } catch (...) {
        // Nothing half-read stays on screen: back to the empty state, then the error.
        editor().closeAll();
        becomeEmpty(true);
        throw;
    }
    GrayPanel->setEnabled(true);
}

void SlipForm::RefreshPartner()
{
    editor().refreshPartner(partnerEdit->text());
}

void SlipForm::putChosenCode(DbCodeEdit* field, const QString& code)
{
    editor().HeaderDataSet.edit();
    field->setText(code);
    // Stored (and its partner looked up) at once, as when the field is left:
    // how the focus comes back after the dialog depends on the window manager.
    field->link().commit();
    field->setFocus();
    focusNextChild();
}

void SlipForm::partnerEditButtonClick()
{
    if (const std::optional<QString> code = SlipLookups::pickPartner(this, *m_kind.side))
        putChosenCode(partnerEdit, *code);
}

void SlipForm::updateActions()
{
    setEditing(editor().isEditing());
    ActionClose->setEnabled(true);
    if (editor().isEditing()) {
        QString refusal = editor().commitRefusal(partnerEdit->text());
        if (refusal.isEmpty() && detailGrid()->isCellEditing())
            refusal = SlipEditor::LineBeingEnteredText;
        ActionDelete->setEnabled(false);
        ActionCancel->setEnabled(true);
        ActionCommit->setEnabled(refusal.isEmpty());
        setStatusHint(refusal);
    } else {
        ActionDelete->setEnabled(editor().canDelete());
        ActionCancel->setEnabled(false);
        ActionCommit->setEnabled(false);
        setStatusHint({});
    }
}

void SlipForm::ActionCommitExecute()
{
    if (!detailGrid()->postRow())
        return;  // the line was refused, with the grid's message
    try {
        editor().save();
    } catch (const SlipCheckError& e) {
        MessageBoxes::warning(this, e.message());
        focusLine(e.row(), e.field());
        return;
    } catch (...) {
        // Nothing of this save is stored; the slip stays in the window for another try.
        const QString message = currentExceptionMessage();
        if (editor().slipNo() > 0)
            EditCode->setText(QString::number(editor().slipNo()));
        MessageBoxes::plain(this, message);
        return;
    }
    becomeEmpty(true);
}

void SlipForm::ActionDeleteExecute()
{
    if (!MessageBoxes::confirmDelete(this))
        return;
    editor().remove();
    becomeEmpty(false);  // the input area stays enabled, showing nothing
}

void SlipForm::ActionCancelExecute()
{
    detailGrid()->cancelRow();
    editor().cancel();
    becomeEmpty(true);
}

void SlipForm::becomeEmpty(bool disablePanel)
{
    setEditing(false);
    EditCode->setEnabled(true);
    EditCode->clear();
    EditCode->setFocus();
    if (disablePanel)
        GrayPanel->setEnabled(false);
}

void SlipForm::focusLine(int row, const QString& field)
{
    DbEditGrid* grid = detailGrid();
    Dataset& lines = editor().DetailDataSet;
    if (row < 0 || row >= lines.count())
        return;
    lines.moveTo(row);
    const int column = grid->datasetModel()->modelColumnOf(field);
    grid->setFocus(Qt::OtherFocusReason);
    if (column >= 0)
        grid->setCurrentIndex(grid->datasetModel()->index(row, column));
}
