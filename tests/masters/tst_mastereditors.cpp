#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

#include "boxanswer.h"
#include "connection.h"
#include "dataset.h"
#include "dbcodeedit.h"
#include "dbedit.h"
#include "dberror.h"
#include "dbgrid.h"
#include "dbnumberedit.h"
#include "dbpicklist.h"
#include "findemployeedlg.h"
#include "finditemdlg.h"
#include "inputcustomerform.h"
#include "inputemployeeform.h"
#include "inputitemcategoform.h"
#include "inputitemform.h"
#include "inputsupplierform.h"
#include "messageboxes.h"
#include "modaldriver.h"
#include "refusal.h"
#include "testdb.h"
#include "widgettesthelp.h"

namespace {

// One member of the editor family as the tests see it: two stored records,
// E1 and E2, named "既存一" and "既存二".
struct Member {
    std::function<std::unique_ptr<MasterEditForm>()> make;
    QString seed;
    QString table;
    QString codeColumn;
    QString nameColumn;
};

template <class W>
std::unique_ptr<MasterEditForm> make()
{
    return std::make_unique<W>(nullptr);
}

Member member(const QString& which)
{
    if (which == "item")
        return {
            make<TInputItemForm>,
            "INSERT INTO m_商品分類 (商品分類コード, 分類名, 税区分コード) VALUES ('01', '果物', '01'), "
            "('02', '野菜', '01');"
            "INSERT INTO m_商品 (商品コード, 商品名, 商品分類コード, 税区分コード, 単位, 単価, 原価) VALUES"
            " ('E1', '既存一', '01', '01', '個', 12345000, 6000000),"
            " ('E2', '既存二', '02', '02', '本', NULL, NULL)",
            "m_商品", "商品コード", "商品名"};
    if (which == "category")
        return {make<TInputItemCategoForm>,
                "INSERT INTO m_商品分類 VALUES ('E1', '既存一', 'ｷｿﾝ', '01'), ('E2', '既存二', NULL, '02')",
                "m_商品分類", "商品分類コード", "分類名"};
    if (which == "customer")
        return {
            make<TInputCustomerForm>,
            "INSERT INTO m_顧客 (顧客コード, 顧客名, 郵便番号, 締日) VALUES ('E1', '既存一', 1000001, 20),"
            " ('E2', '既存二', NULL, 32)",
            "m_顧客", "顧客コード", "顧客名"};
    if (which == "supplier")
        return {make<TInputSupplierForm>,
                "INSERT INTO m_仕入先 (仕入先コード, 仕入先名) VALUES ('E1', '既存一'), ('E2', '既存二')",
                "m_仕入先", "仕入先コード", "仕入先名"};
    return {make<TInputEmployeeForm>, "INSERT INTO m_担当者 VALUES ('E1', '既存一'), ('E2', '既存二')",
            "m_担当者", "担当者コード", "担当者名"};
}

const QStringList Members{"item", "category", "customer", "supplier", "employee"};

// The window's state as the state table names it, or what is inconsistent.
QString stateOf(MasterEditForm& w)
{
    w.idleRefresh();
    const Dataset& ds = w.recordDataSet();
    const bool codeOn = w.EditCode->isEnabled();
    QString actions;
    actions += w.ActionDelete->isEnabled() ? u'D' : u'-';
    actions += w.ActionCancel->isEnabled() ? u'C' : u'-';
    actions += w.ActionPost->isEnabled() ? u'P' : u'-';
    actions += w.ActionClose->isEnabled() ? u'X' : u'-';
    if (!ds.isOpen() && !w.isEditing() && codeOn && w.statusText().isEmpty() && actions == "---X")
        return "Empty";
    if (ds.state() == Dataset::State::Browse && ds.count() == 1 && !w.isEditing() && codeOn &&
        w.statusText().isEmpty() && actions == "D--X")
        return "Viewing";
    if (ds.isEditing() && w.isEditing() && !codeOn && w.statusText() == "編集中" && actions == "-CPX")
        return "Editing";
    return QStringLiteral("inconsistent: open=%1 state=%2 flag=%3 code=%4 status=%5 actions=%6")
        .arg(ds.isOpen())
        .arg(int(ds.state()))
        .arg(w.isEditing())
        .arg(codeOn)
        .arg(w.statusText(), actions);
}

// Types `code` into EditCode and leaves it with `key`, as the user does.
void leaveCode(MasterEditForm& w, const QString& code, Qt::Key key = Qt::Key_Tab)
{
    w.EditCode->setFocus();
    w.EditCode->clear();
    QTest::keyClicks(w.EditCode, code);
    QTest::keyClick(w.EditCode, key);
}

// The window's focus child: right after a message box the window may not be
// active again yet.
QString focusName(const QWidget& window)
{
    QWidget* focused = window.focusWidget();
    return focused ? focused->objectName() : QString();
}

}  // namespace

class TestMasterEditors : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDb> m_db;
    std::unique_ptr<MasterEditForm> m_w;
    Member m_member;

    // A fresh database with the member's two records, and its window shown.
    bool open(const QString& which)
    {
        m_db = std::make_unique<TestDb>();
        m_member = member(which);
        m_db->exec(m_member.seed);
        m_w = m_member.make();
        return showActive(m_w.get());
    }
    QStringList stored(const QString& columns = {}) const
    {
        return rowsOf(
            m_db->path(),
            QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY 1")
                .arg(m_member.codeColumn, columns.isEmpty() ? m_member.nameColumn : columns, m_member.table));
    }
    QLineEdit* nameField() const { return qobject_cast<QLineEdit*>(m_w->fieldFor(m_member.nameColumn)); }
    QString nameFieldName() const { return "Field" + m_member.nameColumn; }
    QString focusName() const { return ::focusName(*m_w); }
    // A key to the focused widget after the window went idle, as between two
    // keystrokes of a user: the action states are current.
    void reactivate()
    {
        if (!m_w->isActiveWindow()) {
            // A message box has just closed: the window manager activates the window again.
            QApplication::setActiveWindow(m_w.get());
            QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
        }
    }
    // Fills what a new row needs before it is written: the name, and an item's category.
    void fillRequired()
    {
        nameField()->setFocus();
        if (nameField()->text().isEmpty())
            typeCommitted(nameField(), "新規");
        if (auto* category = qobject_cast<DbPickList*>(m_w->fieldFor("商品分類コード"))) {
            category->setFocus();
            QTest::keyClick(category, Qt::Key_Down);
        }
    }
    void press(Qt::Key key)
    {
        reactivate();
        m_w->idleRefresh();
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : m_w.get(), key);
    }

private slots:
    void cleanup()
    {
        m_w.reset();
        m_db.reset();
    }

    void stateTable_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("transition");
        const QStringList transitions{"empty: existing code",
                                      "empty: new code",
                                      "viewing: existing code",
                                      "viewing: new code",
                                      "viewing: field changed",
                                      "editing: save new row",
                                      "editing: save changed row",
                                      "editing: save fails",
                                      "editing: cancel new row",
                                      "editing: cancel changed row",
                                      "viewing: delete, yes",
                                      "viewing: delete, no",
                                      "editing: close",
                                      "viewing: close"};
        for (const QString& which : Members)
            for (const QString& t : transitions)
                QTest::addRow("%s: %s", qPrintable(which), qPrintable(t)) << which << t;
        QTest::addRow("item: viewing: pick list changed") << "item"
                                                          << "viewing: pick list changed";
    }

    void stateTable()
    {
        QFETCH(QString, which);
        QFETCH(QString, transition);
        QVERIFY(open(which));
        QCOMPARE(stateOf(*m_w), QString("Empty"));
        const QStringList before = stored();

        if (transition.startsWith("viewing")) {
            leaveCode(*m_w, "E1");
            QCOMPARE(stateOf(*m_w), QString("Viewing"));
        }
        if (transition == "empty: existing code" || transition == "viewing: existing code") {
            const QString code = transition.startsWith("empty") ? "E1" : "E2";
            leaveCode(*m_w, code);
            QCOMPARE(stateOf(*m_w), QString("Viewing"));
            QCOMPARE(m_w->recordDataSet().field(m_member.codeColumn).asText(), code);
            QCOMPARE(nameField()->text(), code == "E1" ? QString("既存一") : QString("既存二"));
            QCOMPARE(focusName(), nameFieldName());
        } else if (transition == "empty: new code" || transition == "viewing: new code") {
            leaveCode(*m_w, "N1");
            QCOMPARE(stateOf(*m_w), QString("Editing"));
            QCOMPARE(m_w->recordDataSet().state(), Dataset::State::Insert);
            QCOMPARE(m_w->EditCode->text(), QString("N1"));
            QCOMPARE(m_w->recordDataSet().field(m_member.codeColumn).asText(), QString("N1"));
            QCOMPARE(nameField()->text(), QString());
            QCOMPARE(focusName(), nameFieldName());
            QCOMPARE(stored(), before);  // nothing written yet
        } else if (transition == "viewing: field changed") {
            QTest::keyClicks(nameField(), "X");
            QCOMPARE(stateOf(*m_w), QString("Editing"));
            QCOMPARE(m_w->recordDataSet().state(), Dataset::State::Edit);
        } else if (transition == "viewing: pick list changed") {
            auto* category = qobject_cast<DbPickList*>(m_w->fieldFor("商品分類コード"));
            category->setFocus();
            QTest::keyClick(category, Qt::Key_Down);
            QCOMPARE(stateOf(*m_w), QString("Editing"));
            QCOMPARE(m_w->recordDataSet().field("商品分類コード").asText(), QString("02"));
        } else if (transition == "editing: save new row") {
            leaveCode(*m_w, "N1");
            typeCommitted(nameField(), "新規");
            fillRequired();
            press(Qt::Key_F11);
            QCOMPARE(stateOf(*m_w), QString("Empty"));
            QCOMPARE(m_w->EditCode->text(), QString());
            QCOMPARE(focusName(), QString("EditCode"));
            QCOMPARE(stored(), before + QStringList{"N1|新規"});
        } else if (transition == "editing: save changed row") {
            leaveCode(*m_w, "E1");
            nameField()->selectAll();
            QTest::keyClicks(nameField(), "Renamed");
            press(Qt::Key_F11);
            QCOMPARE(stateOf(*m_w), QString("Empty"));
            QCOMPARE(m_w->EditCode->text(), QString());
            QCOMPARE(stored().at(0), QString("E1|Renamed"));
        } else if (transition == "editing: save fails") {
            leaveCode(*m_w, "N1");
            QTest::keyClicks(nameField(), "Mine");
            fillRequired();
            // Another user stores the same code first.
            m_db->exec(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ('N1', 'Theirs')")
                           .arg(m_member.table, m_member.codeColumn, m_member.nameColumn));
            auto box = answerNextBox(QMessageBox::Ok);
            press(Qt::Key_F11);
            QTRY_VERIFY(box->seen);
            QCOMPARE(box->icon, QMessageBox::Critical);
            QVERIFY2(box->text.contains("UNIQUE") || box->text.contains(m_member.codeColumn),
                     qPrintable(box->text));
            QCOMPARE(stateOf(*m_w), QString("Editing"));
            QCOMPARE(nameField()->text(), QString("Mine"));
            QCOMPARE(stored(), before + QStringList{"N1|Theirs"});
            press(Qt::Key_F10);
            QCOMPARE(stateOf(*m_w), QString("Empty"));
        } else if (transition == "editing: cancel new row") {
            leaveCode(*m_w, "N1");
            QTest::keyClicks(nameField(), "Dropped");
            press(Qt::Key_F10);
            QCOMPARE(stateOf(*m_w), QString("Empty"));
            QCOMPARE(m_w->EditCode->text(), QString("N1"));
            QCOMPARE(focusName(), QString("EditCode"));
            QCOMPARE(stored(), before);
            // Leaving the kept code again starts the new row again, empty.
            press(Qt::Key_Return);
            QCOMPARE(stateOf(*m_w), QString("Editing"));
            QCOMPARE(nameField()->text(), QString());
        } else if (transition == "editing: cancel changed row") {
            leaveCode(*m_w, "E1");
            nameField()->selectAll();
            QTest::keyClicks(nameField(), "Dropped");
            press(Qt::Key_F10);
            QCOMPARE(stateOf(*m_w), QString("Empty"));
            QCOMPARE(m_w->EditCode->text(), QString("E1"));
            QCOMPARE(stored(), before);
            press(Qt::Key_Tab);
            QCOMPARE(stateOf(*m_w), QString("Viewing"));
            QCOMPARE(nameField()->text(), QString("既存一"));
        } else if (transition == "viewing: delete, yes" || transition == "viewing: delete, no") {
            const bool yes = transition.endsWith("yes");
            auto box = answerNextBox(yes ? QMessageBox::Yes : QMessageBox::No);
            press(Qt::Key_F9);
            QTRY_VERIFY(box->seen);
            QCOMPARE(box->text, QString("削除してよろしいですか?"));
            QCOMPARE(box->icon, QMessageBox::Question);
            QCOMPARE(box->buttons, QMessageBox::Yes | QMessageBox::No);
            if (yes) {
                QCOMPARE(stateOf(*m_w), QString("Empty"));
                QCOMPARE(m_w->EditCode->text(), QString());
                QCOMPARE(focusName(), QString("EditCode"));
                QCOMPARE(stored(), before.mid(1));
            } else {
                QCOMPARE(stateOf(*m_w), QString("Viewing"));
                QCOMPARE(m_w->EditCode->text(), QString("E1"));
                QCOMPARE(stored(), before);
            }
        } else if (transition == "editing: close" || transition == "viewing: close") {
            if (transition.startsWith("editing")) {
                leaveCode(*m_w, "N1");
                QTest::keyClicks(nameField(), "Unsaved");
                // Unsaved data: the question, No the default; No keeps the row.
                auto box = answerNextBox(QMessageBox::No);
                press(Qt::Key_F12);
                QTRY_VERIFY(box->seen);
                QCOMPARE(box->text, QString("編集中のデータは保存されていません。閉じてもよいですか？"));
                QCOMPARE(box->defaultButton, QMessageBox::No);
                QVERIFY(m_w->isVisible());
                QCOMPARE(stateOf(*m_w), QString("Editing"));
                QCOMPARE(nameField()->text(), QString("Unsaved"));
                box = answerNextBox(QMessageBox::Yes);
                press(Qt::Key_F12);
                QTRY_VERIFY(box->seen);
                QVERIFY(!m_w->isVisible());
                QCOMPARE(stored(), before);
                return;
            }
            ModalDriver watch;  // no box may come up
            press(Qt::Key_F12);
            QVERIFY(!m_w->isVisible());
            QCoreApplication::processEvents();
            QVERIFY(watch.seen.isEmpty());
            QVERIFY(QApplication::activeModalWidget() == nullptr);
            QCOMPARE(stored(), before);
        } else {
            QFAIL("unknown transition");
        }
    }

    void newRowDefaults_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("taxClass");
        for (const QString& which : Members)
            QTest::newRow(qPrintable(which))
                << which << (which == "item" || which == "category" ? QString("01") : QString());
    }

    // A new item or category starts with tax class "01"; the others start empty.
    void newRowDefaults()
    {
        QFETCH(QString, which);
        QFETCH(QString, taxClass);
        QVERIFY(open(which));
        leaveCode(*m_w, "N1", Qt::Key_Return);
        QCOMPARE(stateOf(*m_w), QString("Editing"));
        const Dataset& ds = m_w->recordDataSet();
        for (const QString& column : ds.columns()) {
            if (column == m_member.codeColumn)
                continue;
            const QString expected = column == "税区分コード" ? taxClass : QString();
            QCOMPARE(ds.field(column).asText(), expected);
        }
        if (!taxClass.isEmpty())
            QCOMPARE(qobject_cast<DbPickList*>(m_w->fieldFor("税区分コード"))->currentText(),
                     QString("01 課税"));
        fillRequired();
        press(Qt::Key_F11);
        QVERIFY(stored(taxClass.isEmpty() ? m_member.nameColumn : QString("税区分コード"))
                    .contains("N1|" + (taxClass.isEmpty() ? QString("新規") : taxClass)));
    }

    void codeIsStoredAsTyped()
    {
        QVERIFY(open("item"));
        leaveCode(*m_w, "e1 ");  // not E1: no case change, no trimming
        QCOMPARE(stateOf(*m_w), QString("Editing"));
        QCOMPARE(m_w->EditCode->text(), QString("e1 "));
        fillRequired();
        press(Qt::Key_F11);
        QVERIFY(stored().contains("e1 |新規"));
    }

    // The focus cannot leave an empty code field; closing still works.
    void focusStaysInAnEmptyCode()
    {
        QVERIFY(open("item"));
        QCOMPARE(focusName(), QString("EditCode"));
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Backtab}) {
            QTest::keyClick(m_w->EditCode, key);
            QCOMPARE(focusName(), QString("EditCode"));
            QCOMPARE(stateOf(*m_w), QString("Empty"));
        }
        // After a cancel that kept a code, emptying it keeps the focus too.
        leaveCode(*m_w, "E1");
        leaveCode(*m_w, "");
        QCOMPARE(focusName(), QString("EditCode"));
        press(Qt::Key_F12);
        QVERIFY(!m_w->isVisible());
    }

    // A click into a field leaves the code too: the record loads and the
    // clicked field keeps the focus.
    void clickingAFieldLeavesTheCode()
    {
        QVERIFY(open("customer"));
        leaveCode(*m_w, "E1");
        m_w->EditCode->setFocus();
        m_w->EditCode->selectAll();
        QTest::keyClicks(m_w->EditCode, "E2");
        auto* address = qobject_cast<QLineEdit*>(m_w->fieldFor("住所"));
        QTest::mouseClick(address, Qt::LeftButton);
        QCOMPARE(stateOf(*m_w), QString("Viewing"));
        QCOMPARE(nameField()->text(), QString("既存二"));
        QCOMPARE(QApplication::focusWidget(), address);
    }

    // A load that fails reports the engine's message and leaves the window Empty.
    void loadErrorLeavesTheWindowEmpty()
    {
        QVERIFY(open("employee"));
        leaveCode(*m_w, "E1");
        m_db->exec("ALTER TABLE m_担当者 RENAME TO m_担当者_old");
        auto box = answerNextBox(QMessageBox::Ok);
        leaveCode(*m_w, "E2");
        QTRY_VERIFY(box->seen);
        QCOMPARE(box->icon, QMessageBox::Critical);
        QVERIFY2(box->text.contains("m_担当者"), qPrintable(box->text));
        QCOMPARE(stateOf(*m_w), QString("Empty"));
        QVERIFY(!nameField()->isEnabled());
        QCOMPARE(m_w->EditCode->text(), QString("E2"));
    }

    void lookupButtonLoadsThePickedRecord_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<bool>("ok");
        QTest::newRow("item, OK") << "item" << true;
        QTest::newRow("item, キャンセル") << "item" << false;
        QTest::newRow("staff, OK") << "employee" << true;
        QTest::newRow("staff, キャンセル") << "employee" << false;
    }

    void lookupButtonLoadsThePickedRecord()
    {
        QFETCH(QString, which);
        QFETCH(bool, ok);
        QVERIFY(open(which));
        leaveCode(*m_w, "E1");
        QString dialog;
        ModalDriver driver;
        driver.then([&](QWidget* modal) {
            auto* dlg = qobject_cast<MasterFindDlg*>(modal);
            dialog = modal->windowTitle();
            if (auto* items = qobject_cast<TFindItemDlg*>(modal))
                QTest::mouseClick(items->ButtonFind, Qt::LeftButton);
            dlg->GridResult->setFocus();
            QTest::keyClick(dlg->GridResult, Qt::Key_Down);  // E2
            dlg->idleRefresh();
            QTest::mouseClick(ok ? dlg->ButtonOK : dlg->ButtonCancel, Qt::LeftButton);
        });
        m_w->EditCode->clickButton();
        QVERIFY(driver.finished());
        QCOMPARE(dialog, QString(which == "item" ? "商品検索" : "担当者検索"));
        QCOMPARE(stateOf(*m_w), QString("Viewing"));
        QCOMPARE(m_w->EditCode->text(), QString(ok ? "E2" : "E1"));
        QCOMPARE(nameField()->text(), QString(ok ? "既存二" : "既存一"));
        if (ok)
            QTRY_COMPARE(focusName(), nameFieldName());
    }

    // The store refuses a text longer than its column when the row is saved;
    // the row stays in editing so the user can correct it.
    void tooLongTextIsRefusedOnSave_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("width");
        QTest::newRow("item kana") << "item"
                                   << "商品名カナ" << 50;
        QTest::newRow("item short kana") << "item"
                                         << "略称ｶﾅ" << 20;
        QTest::newRow("category name") << "category"
                                       << "分類名" << 50;
    }

    void tooLongTextIsRefusedOnSave()
    {
        QFETCH(QString, which);
        QFETCH(QString, column);
        QFETCH(int, width);
        QVERIFY(open(which));
        const QStringList before = stored();
        leaveCode(*m_w, "N1");
        if (which == "item")
            fillRequired();
        auto* field = qobject_cast<QLineEdit*>(m_w->fieldFor(column));
        field->setFocus();
        QTest::keyClicks(field, QString(width + 1, u'x'));
        auto box = answerNextBox(QMessageBox::Ok);
        press(Qt::Key_F11);
        QTRY_VERIFY(box->seen);
        QCOMPARE(box->icon, QMessageBox::Critical);
        // In the window's words, the engine's own text in the details.
        QCOMPARE(box->text, QStringLiteral("%1は%2文字以内で入力してください。").arg(column).arg(width));
        QVERIFY2(box->details.contains("CHECK constraint failed"), qPrintable(box->details));
        QCOMPARE(stateOf(*m_w), QString("Editing"));
        QCOMPARE(field->text().size(), width + 1);
        QCOMPARE(stored(), before);
        // Corrected, it saves.
        reactivate();
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_Backspace);
        press(Qt::Key_F11);
        QCOMPARE(stateOf(*m_w), QString("Empty"));
        QCOMPARE(stored(column).last(), "N1|" + QString(width, u'x'));
    }

    // A code another window registered while this one typed the same new code:
    // told as a duplicate of the field the window labels, the values kept.
    void duplicateCodeIsRefusedOnSave()
    {
        QVERIFY(open("item"));
        leaveCode(*m_w, "N1");
        nameField()->setFocus();
        QTest::keyClicks(nameField(), "typed");
        fillRequired();
        m_db->exec("INSERT INTO m_商品 (商品コード, 商品名) VALUES ('N1', 'the other window')");
        auto box = answerNextBox(QMessageBox::Ok);
        press(Qt::Key_F11);
        QTRY_VERIFY(box->seen);
        QCOMPARE(box->text, QString("この商品コードは既に登録されています。"));
        QVERIFY2(box->details.contains("UNIQUE constraint failed"), qPrintable(box->details));
        QCOMPARE(stateOf(*m_w), QString("Editing"));
        QCOMPARE(nameField()->text(), QString("typed"));
    }

    // Refusals no master window lets through (the window's fields keep them in
    // range) are told in the same words: real engine errors, labels of a real window.
    void refusalsInTheWindowsWords_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("out of range") << "UPDATE m_顧客 SET 締日 = 40"
                                      << "締日は1から32までの値で入力してください。";
        QTest::newRow("missing value") << "INSERT INTO m_顧客 (顧客コード) VALUES (NULL)"
                                       << "顧客コードを入力してください。";
        QTest::newRow("missing reference")
            << "INSERT INTO t_売上明細 (伝票番号, 明細番号) VALUES (999, 1)"
            << "参照先のデータが登録されていません。参照するコードを確かめてください。";
        QTest::newRow("not money") << "INSERT INTO m_商品 (商品コード, 単価) VALUES ('X', 1.5)"
                                   << "単価の値が正しくありません。";
    }

    void refusalsInTheWindowsWords()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QVERIFY(open("customer"));
        try {
            Connection c(m_db->path());
            c.exec(sql);
            QFAIL("the engine took it");
        } catch (const DbError& e) {
            QCOMPARE(explainRefusal(e, m_w.get()), expected);
            QCOMPARE(takeRefusalDetails(expected), e.message());
        }
    }

    // Fields of a fixed width take no more than the column holds.
    void fieldsStopAtTheColumnWidth_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("width");
        QTest::newRow("item name") << "item"
                                   << "商品名" << 50;
        QTest::newRow("item unit") << "item"
                                   << "単位" << 8;
        QTest::newRow("customer name") << "customer"
                                       << "顧客名" << 50;
        QTest::newRow("customer mail") << "customer"
                                       << "E-mail" << 50;
        QTest::newRow("staff name") << "employee"
                                    << "担当者名" << 50;
        QTest::newRow("staff code") << "employee"
                                    << "" << 2;
        QTest::newRow("category code") << "category"
                                       << "" << 4;
        QTest::newRow("supplier code") << "supplier"
                                       << "" << 13;
    }

    void fieldsStopAtTheColumnWidth()
    {
        QFETCH(QString, which);
        QFETCH(QString, column);
        QFETCH(int, width);
        QVERIFY(open(which));
        if (column.isEmpty()) {
            QTest::keyClicks(m_w->EditCode, QString(width + 3, u'7'));
            QCOMPARE(m_w->EditCode->text().size(), width);
            return;
        }
        leaveCode(*m_w, "N1");
        auto* field = qobject_cast<QLineEdit*>(m_w->fieldFor(column));
        field->setFocus();
        QTest::keyClicks(field, QString(width + 3, u'y'));
        QCOMPARE(field->text().size(), width);
        fillRequired();
        press(Qt::Key_F11);
        QCOMPARE(stateOf(*m_w), QString("Empty"));
        QCOMPARE(stored(QString("length(\"%1\")").arg(column)).last(), QString("N1|%1").arg(width));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");  // "-" for null; empty when refused
        QTest::addColumn<QString>("shown");
        QTest::newRow("price") << "item"
                               << "単価"
                               << "1234.5"
                               << "12345000"
                               << "¥1,234.5";
        QTest::newRow("cost, thousands") << "item"
                                         << "原価"
                                         << "1,000"
                                         << "10000000"
                                         << "¥1,000";
        QTest::newRow("price not a number") << "item"
                                            << "単価"
                                            << "abc"
                                            << ""
                                            << "";
        QTest::newRow("postal code") << "customer"
                                     << "郵便番号"
                                     << "1500001"
                                     << "1500001"
                                     << "1500001";
        QTest::newRow("postal code keeps its leading zero") << "supplier"
                                                            << "郵便番号"
                                                            << "0600001"
                                                            << "600001"
                                                            << "0600001";
        QTest::newRow("postal code with a hyphen") << "customer"
                                                   << "郵便番号"
                                                   << "060-0001"
                                                   << "600001"
                                                   << "0600001";
        QTest::newRow("postal code full-width") << "supplier"
                                                << "郵便番号"
                                                << "１５０－０００１"
                                                << "1500001"
                                                << "1500001";
        QTest::newRow("postal code of six digits") << "customer"
                                                   << "郵便番号"
                                                   << "600001"
                                                   << ""
                                                   << "";
        QTest::newRow("postal code of eight digits") << "customer"
                                                     << "郵便番号"
                                                     << "12345678"
                                                     << ""
                                                     << "";
        QTest::newRow("postal code with decimals") << "supplier"
                                                   << "郵便番号"
                                                   << "123.4"
                                                   << ""
                                                   << "";
    }

    // Numbers are stored when the field is left; what is no number (or too
    // long a postal code) is refused with a message, the row still in editing.
    void numbers()
    {
        QFETCH(QString, which);
        QFETCH(QString, column);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QVERIFY(open(which));
        leaveCode(*m_w, "N1");
        fillRequired();
        auto* field = qobject_cast<DbNumberEdit*>(m_w->fieldFor(column));
        QVERIFY(field);
        QCOMPARE(field->alignment() & Qt::AlignHorizontal_Mask,
                 column == "郵便番号" ? Qt::AlignLeft : Qt::AlignRight);
        field->setFocus();
        if (typed.front().unicode() < 0x80)
            QTest::keyClicks(field, typed);
        else
            typeCommitted(field, typed);  // full-width, as an input method delivers it
        const bool refused = stored.isEmpty();
        std::shared_ptr<SeenBox> box;
        if (refused)
            box = answerNextBox(QMessageBox::Ok);
        QTest::keyClick(field, Qt::Key_Tab);
        if (refused) {
            QTRY_VERIFY(box->seen);
            QVERIFY2(box->text.contains(typed), qPrintable(box->text));
            QCOMPARE(stateOf(*m_w), QString("Editing"));
            QVERIFY(m_w->recordDataSet().field(column).isNull());
            reactivate();
            QCOMPARE(QApplication::focusWidget(), field);
            QCOMPARE(field->text(), QString());
            press(Qt::Key_F11);
            QCOMPARE(stateOf(*m_w), QString("Empty"));
            QCOMPARE(this->stored(column).last(), QString("N1|-"));
            return;
        }
        QCOMPARE(field->text(), shown);
        press(Qt::Key_F11);
        QCOMPARE(this->stored(column).last(), "N1|" + stored);
        leaveCode(*m_w, "N1");
        QCOMPARE(field->text(), shown);
    }

    void pickLists()
    {
        QVERIFY(open("item"));
        leaveCode(*m_w, "E1");
        auto* category = qobject_cast<DbPickList*>(m_w->fieldFor("商品分類コード"));
        auto* tax = qobject_cast<DbPickList*>(m_w->fieldFor("税区分コード"));
        QCOMPARE(category->count(), 2);
        QCOMPARE(category->currentText(), QString("01 果物"));
        QCOMPARE(tax->itemText(0), QString("01 課税"));
        QCOMPARE(tax->count(), 4);
        QCOMPARE(m_w->fieldFor("単価")->property("text").toString(), QString("¥1,234.5"));
        // The unit: the names of the unit list in code order, or any typed name.
        auto* unit = qobject_cast<DbEdit*>(m_w->fieldFor("単位"));
        QCOMPARE(unit->text(), QString("個"));
        QVERIFY(unit->completer());
        QStringList names;
        for (int i = 0; i < unit->completer()->model()->rowCount(); ++i)
            names << unit->completer()->model()->index(i, 0).data().toString();
        QCOMPARE(names.mid(0, 3), QStringList({"個", "本", "箱"}));
        QCOMPARE(names.size(), 12);
        unit->setFocus();
        unit->selectAll();
        typeCommitted(unit, "ダース");
        press(Qt::Key_Tab);
        press(Qt::Key_F11);
        QCOMPARE(stored("単位").at(0), QString("E1|ダース"));

        // Enter in the open drop-down takes the entry and moves on: the next
        // typing lands in the price.
        leaveCode(*m_w, "E1");
        unit->setFocus();
        press(Qt::Key_F4);
        QAbstractItemView* popup = unit->completer()->popup();
        QTRY_VERIFY(popup->isVisible());
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        QVERIFY(!popup->isVisible());
        QCOMPARE(unit->text(), QString("本"));
        QCOMPARE(focusName(), QString("Field単価"));
        QTest::keyClicks(QApplication::focusWidget(), "120");
        press(Qt::Key_F11);
        QCOMPARE(stored("単位, 単価").at(0), QString("E1|本|1200000"));
    }

    void closingDay()
    {
        QVERIFY(open("customer"));
        auto* closing = qobject_cast<DbPickList*>(m_w->fieldFor("締日"));
        QCOMPARE(closing->count(), 32);
        QCOMPARE(closing->itemText(0), QString("01日"));
        QCOMPARE(closing->itemText(31), QString("月末"));
        leaveCode(*m_w, "E1");
        QCOMPARE(closing->currentText(), QString("20日"));
        leaveCode(*m_w, "E2");
        QCOMPARE(closing->currentText(), QString("月末"));
        leaveCode(*m_w, "N1");
        QCOMPARE(closing->currentIndex(), -1);
        fillRequired();
        closing->setFocus();
        QTest::keyClick(closing, Qt::Key_End);
        press(Qt::Key_F11);
        QCOMPARE(stored("締日").last(), QString("N1|32"));
    }

    // A record that slips or items name stays, with a message; once nothing
    // names it, it can be deleted.
    void deletingAReferencedRecordIsRefused_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("message");
        const QString sale =
            "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード, 顧客コード, 担当者コード) "
            "VALUES (1, '2024-05-01', '10', 'C1', 'S1');";
        QTest::newRow("customer by a sale")
            << "customer" << sale << "この顧客は伝票で使われているため削除できません。";
        QTest::newRow("customer by a receipt") << "customer"
                                               << "INSERT INTO t_入金 (伝票番号, 顧客コード) VALUES (1, 'E1')"
                                               << "この顧客は伝票で使われているため削除できません。";
        QTest::newRow("supplier by a payment")
            << "supplier"
            << "INSERT INTO t_支払 (伝票番号, 仕入先コード) VALUES (1, 'E1')"
            << "この仕入先は伝票で使われているため削除できません。";
        QTest::newRow("item by a purchase line")
            << "item"
            << "INSERT INTO t_仕入 (伝票番号) VALUES (1);"
               "INSERT INTO t_仕入明細 (伝票番号, 明細番号, 商品コード) VALUES (1, 1, 'E1')"
            << "この商品は伝票で使われているため削除できません。";
        QTest::newRow("category by an item")
            << "category"
            << "INSERT INTO m_商品 (商品コード, 商品分類コード) VALUES ('I1', 'E1')"
            << "この商品分類は商品台帳で使われているため削除できません。";
        QTest::newRow("staff by a sale") << "employee" << QString(sale).replace("'S1'", "'E1'")
                                         << "この担当者は伝票で使われているため削除できません。";
    }
    void deletingAReferencedRecordIsRefused()
    {
        QFETCH(QString, which);
        QFETCH(QString, reference);
        QFETCH(QString, message);
        QVERIFY(open(which));
        m_db->exec(QString(reference).replace("'C1'", "'E1'"));
        leaveCode(*m_w, "E1");
        QCOMPARE(stateOf(*m_w), QString("Viewing"));
        auto box = answerNextBox(QMessageBox::Ok);
        press(Qt::Key_F9);
        QTRY_VERIFY(box->seen);
        QCOMPARE(box->text, message);
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(stateOf(*m_w), QString("Viewing"));
        QCOMPARE(stored(), (QStringList{"E1|既存一", "E2|既存二"}));

        // E2 is named by nothing.
        leaveCode(*m_w, "E2");
        box = answerNextBox(QMessageBox::Yes);
        press(Qt::Key_F9);
        QTRY_VERIFY(box->seen);
        QCOMPARE(box->text, QString::fromUtf16(MessageBoxes::DeleteQuestion));
        QCOMPARE(stored(), QStringList{"E1|既存一"});
    }

    // A required field left empty is named before anything is written; the
    // row stays in editing with the focus in that field.
    void requiredFieldsAreCheckedBeforeWriting_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("message");
        QTest::newRow("item name") << "item"
                                   << "商品名"
                                   << "商品名が入力されていません。";
        QTest::newRow("customer name") << "customer"
                                       << "顧客名"
                                       << "顧客名が入力されていません。";
        QTest::newRow("supplier name") << "supplier"
                                       << "仕入先名"
                                       << "仕入先名が入力されていません。";
        QTest::newRow("staff name") << "employee"
                                    << "担当者名"
                                    << "担当者名が入力されていません。";
    }
    void requiredFieldsAreCheckedBeforeWriting()
    {
        QFETCH(QString, which);
        QFETCH(QString, column);
        QFETCH(QString, message);
        QVERIFY(open(which));
        const QStringList before = stored();
        leaveCode(*m_w, "N1");
        QTest::keyClicks(QApplication::focusWidget(), " ");  // a blank is no name
        auto box = answerNextBox(QMessageBox::Ok);
        press(Qt::Key_F11);
        QTRY_VERIFY(box->seen);
        QCOMPARE(box->text, message);
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(stateOf(*m_w), QString("Editing"));
        QCOMPARE(stored(), before);
        reactivate();
        QCOMPARE(focusName(), "Field" + column);
        typeCommitted(QApplication::focusWidget(), "新規");
        if (which == "item") {
            // The category too.
            box = answerNextBox(QMessageBox::Ok);
            press(Qt::Key_F11);
            QTRY_VERIFY(box->seen);
            QCOMPARE(box->text, QString("分類が入力されていません。"));
            reactivate();
            QCOMPARE(focusName(), QString("Field商品分類コード"));
            auto* category = qobject_cast<DbPickList*>(m_w->fieldFor("商品分類コード"));
            QTest::keyClick(category, Qt::Key_Down);
        }
        press(Qt::Key_F11);
        QCOMPARE(stateOf(*m_w), QString("Empty"));
        QCOMPARE(stored().size(), before.size() + 1);
        QCOMPARE(stored().last(), QString("N1|新規 "));  // typed before the blank
    }

    void layout_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("dataset");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("item") << "item"
                              << "商品台帳"
                              << "ItemDataSet"
                              << QStringList{"商品コード *", "商品名", "商品名カナ", "略称ｶﾅ", "分類 *",
                                             "税区分",       "単位",   "単価",       "原価"};
        QTest::newRow("category") << "category"
                                  << "商品分類台帳"
                                  << "ItemCategoDataSet"
                                  << QStringList{"商品分類コード *", "分類名", "略称ｶﾅ", "税区分"};
        QTest::newRow("customer") << "customer"
                                  << "顧客台帳"
                                  << "CustomerDataSet"
                                  << QStringList{"顧客コード *", "顧客名 *", "顧客名カナ", "郵便番号", "住所",
                                                 "電話番号",     "FAX番号",  "E-Mail",     "締日"};
        QTest::newRow("supplier") << "supplier"
                                  << "仕入先台帳"
                                  << "SupplierDataSet"
                                  << QStringList{"仕入先コード *", "仕入先名 *", "仕入先名カナ", "郵便番号",
                                                 "住所",           "電話番号",   "FAX番号",      "E-Mail"};
        QTest::newRow("staff") << "employee"
                               << "担当者台帳"
                               << "EmployeeDataSet" << QStringList{"担当者コード *", "担当者名"};
    }

    // Caption, size, labels, tab order, the action bar and its keys.
    void layout()
    {
        QFETCH(QString, which);
        QFETCH(QString, caption);
        QFETCH(QString, dataset);
        QFETCH(QStringList, labels);
        QVERIFY(open(which));
        QCOMPARE(m_w->windowTitle(), caption);
        QCOMPARE(m_w->recordDataSet().objectName(), dataset);
        QVERIFY(m_w->width() >= 720 && m_w->height() >= 480);
        QVERIFY(m_w->statusBar());

        // Labels in tab order: Tab goes from the code through every field and back.
        leaveCode(*m_w, "E1");
        const auto labelOf = [this](QWidget* widget) {
            for (QLabel* label : m_w->findChildren<QLabel*>())
                if (label->buddy() == widget)
                    return label->text();
            return QString();
        };
        QStringList seen{labelOf(m_w->EditCode)};
        for (int i = 1; i < labels.size(); ++i) {
            seen << labelOf(QApplication::focusWidget());
            press(Qt::Key_Tab);
        }
        QCOMPARE(seen, labels);
        QCOMPARE(focusName(), QString("EditCode"));

        QStringList bar;
        for (QPushButton* button : m_w->findChildren<QPushButton*>())
            if (button->objectName().startsWith("Button"))
                bar << button->text();
        QCOMPARE(bar, QStringList({"F9 削除", "F10 編集取消", "F11 登録", "F12 閉じる"}));
        QCOMPARE(m_w->ActionDelete->shortcut(), QKeySequence(Qt::Key_F9));
        QCOMPARE(m_w->ActionCancel->shortcut(), QKeySequence(Qt::Key_F10));
        QCOMPARE(m_w->ActionPost->shortcut(), QKeySequence(Qt::Key_F11));
        QCOMPARE(m_w->ActionClose->shortcut(), QKeySequence(Qt::Key_F12));
    }
};

QTEST_MAIN(TestMasterEditors)
#include "tst_mastereditors.moc"
