#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

#include "dberror.h"
#include "functionwindow.h"

// A function window as the real ones are built: fields, a grid that keeps
// Enter, a button bound to an action, the close action and the editing status.
// It records what the base calls.
class ProbeWindow : public FunctionWindow {
    Q_OBJECT

public:
    struct Options {
        bool create = true;
        bool enterAsTab = true;
    };

    explicit ProbeWindow(QWidget* owner) : ProbeWindow(owner, Options{}) {}
    ProbeWindow(QWidget* owner, Options options) : FunctionWindow(owner)
    {
        ++alive;
        ++created;
        auto* layout = new QVBoxLayout(body());
        for (QWidget* w :
             std::initializer_list<QWidget*>{EditCode, EditName, Combo, Check, Grid, EditLast, ButtonPost})
            layout->addWidget(w);
        EditCode->setObjectName("EditCode");
        EditName->setObjectName("EditName");
        Combo->setObjectName("Combo");
        Combo->addItems({"01", "02"});
        Check->setObjectName("Check");
        Grid->setObjectName("Grid");
        EditLast->setObjectName("EditLast");
        ButtonPost->setObjectName("ButtonPost");
        exemptFromEnterAsTab(Grid);
        setEnterAsTab(options.enterAsTab);

        ActionPost = createAction("ActionPost", "登録", ActionKey::Post, [this] {
            ++posts;
            if (failPost)
                throw DbError("書き込みに失敗しました。");
        });
        ActionClose = createCloseAction();
        bindButton(ButtonPost, ActionPost);
        showEditingStatus();
        if (options.create)
            FormCreate();
    }
    ~ProbeWindow() override { --alive; }

    QLineEdit* EditCode = new QLineEdit;
    QLineEdit* EditName = new QLineEdit;
    QComboBox* Combo = new QComboBox;
    QCheckBox* Check = new QCheckBox("check");
    QTableWidget* Grid = new QTableWidget(2, 2);
    QLineEdit* EditLast = new QLineEdit;
    QPushButton* ButtonPost = new QPushButton;
    QAction* ActionPost = nullptr;
    QAction* ActionClose = nullptr;

    QStringList log;
    int posts = 0;
    int refreshes = 0;
    bool canPost = true;
    bool failPost = false;
    bool failRefresh = false;

    bool connectionOpen() const { return Connection.isOpen(); }
    void runCreation() { FormCreate(); }
    void markEditing(bool on) { setEditing(on); }

    inline static int alive = 0;
    inline static int created = 0;

protected:
    void openFixedLists() override { log << (Connection.isOpen() ? "lists:open" : "lists:closed"); }
    void setInitialValues() override { log << "initial"; }
    void updateActions() override
    {
        ++refreshes;
        if (failRefresh)
            throw DbError("refresh failed");
        ActionPost->setEnabled(canPost);
    }
};
