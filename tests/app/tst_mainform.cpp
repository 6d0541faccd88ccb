#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "connection.h"
#include "dberror.h"
#include "functionwindow.h"
#include "launcher.h"
#include "mainform.h"
#include "modaldriver.h"
#include "testdb.h"
#include "uifont.h"

namespace {

// What the injected factories opened, in order.
struct Openings {
    QStringList captions;  // the entry whose window opened
    QList<QPointer<QDialog>> windows;
};

class LauncherTestDialog : public QDialog {
public:
    LauncherTestDialog(QWidget* owner, const QString& entry) : QDialog(owner) { setObjectName(entry); }
};

// A function window that needs the database, for the missing-file path.
class DataWindow : public FunctionWindow {
public:
    explicit DataWindow(QWidget* owner) : FunctionWindow(owner)
    {
        createCloseAction();
        resize(300, 200);
        FormCreate();
    }
    bool connected() const { return Connection.isOpen(); }
};

// Every launcher entry gets a window that records its opening.
WindowRegistry registryFor(Openings& openings)
{
    WindowRegistry registry;
    for (const Launcher::Entry& e : Launcher::entries()) {
        const QString name = QLatin1String(e.action);
        registry.add(name, [&openings, name](QWidget* owner) -> QDialog* {
            auto* w = new LauncherTestDialog(owner, name);
            openings.captions << name;
            openings.windows << w;
            return w;
        });
    }
    return registry;
}

QListWidgetItem* itemByCaption(QListWidget* list, const QString& caption)
{
    const auto found = list->findItems(caption, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

// A double-click as the mouse delivers it: press, release, double-click, release.
void doubleClick(QListWidget* list, QPoint pos)
{
    QWidget* viewport = list->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, pos);
}

// Closes the next modal window; records whether its owner is the main window.
void closeNextWindow(ModalDriver& driver, QWidget* owner, bool* ownedByMain)
{
    driver.then([=](QWidget* modal) {
        *ownedByMain = modal->parentWidget() == owner && modal->isModal();
        modal->close();
    });
}

}  // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void frameAndFont()
    {
        WindowRegistry none;
        TMainForm form(none);
        QCOMPARE(form.windowTitle(), QString("Corvinta"));
        QCOMPARE(form.size(), QSize(680, 480));
        QCOMPARE(form.minimumSize(), QSize(680, 480));
        const QList<QLabel*> panels =
            form.statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(panels.size(), 3);  // the last one names the book, once it is opened
        QCOMPARE(panels[2]->objectName(), QString("BookPanel"));
        QCOMPARE(panels[0]->minimumWidth(), 300);
        QCOMPARE(panels[0]->maximumWidth(), 300);
        QCOMPARE(panels[1]->minimumWidth(), 50);
        QCOMPARE(panels[1]->maximumWidth(), 50);
        QVERIFY(panels[0]->text().isEmpty() && panels[1]->text().isEmpty() && panels[2]->text().isEmpty());
        // The font is installed, not silently replaced by a fallback.
        QCOMPARE(QFontInfo(uiFont()).family(), QString("IPAPGothic"));
    }

    void pagesAndLists()
    {
        WindowRegistry none;
        TMainForm form(none);
        QVERIFY(form.PageControl->tabBar()->isHidden());
        QCOMPARE(form.PageControl->count(), 4);
        const QStringList sheets = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4"};
        const QStringList tabs = {"伝票入力", "各種資料", "台帳管理", "環境設定"};
        const QList<int> counts = {4, 14, 6, 2};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(form.PageControl->widget(i)->objectName(), sheets[i]);
            QCOMPARE(form.PageControl->tabText(i), tabs[i]);
            QListWidget* list = form.listViews()[i];
            QVERIFY(form.PageControl->widget(i)->isAncestorOf(list));
            QCOMPARE(list->viewMode(), QListView::IconMode);
            QCOMPARE(list->iconSize(), QSize(60, 60));
            QCOMPARE(list->count(), counts[i]);
            for (int row = 0; row < list->count(); ++row)
                // Drawn for real: a wrong resource path or a missing SVG plugin gives nothing.
                QVERIFY(!list->item(row)->icon().pixmap(60, 60).isNull());
        }
        QCOMPARE(form.PageControl->currentIndex(), 0);
        QCOMPARE(form.ListViewSlip->item(0)->data(TMainForm::DescriptionRole).toString(),
                 QString("売上伝票の入力、修正を行います。"));
        QCOMPARE(
            itemByCaption(form.ListViewDocument, "年間仕入集計表")->data(TMainForm::IconIndexRole).toInt(),
            2);
        QCOMPARE(itemByCaption(form.ListViewDocument, "売掛請求")->data(TMainForm::IconIndexRole).toInt(), 3);
        QCOMPARE(itemByCaption(form.ListViewSetting, "消費税設定")->data(TMainForm::IconIndexRole).toInt(),
                 1);
    }

    void menusHoldTheActionsWithSeparators()
    {
        WindowRegistry none;
        TMainForm form(none);
        QStringList menus;
        for (QAction* top : form.menuBar()->actions()) {
            QStringList items;
            for (QAction* a : top->menu()->actions())
                items << (a->isSeparator() ? "-" : a->text());
            menus << top->text() + ": " + items.join('|');
        }
        QCOMPARE(
            menus,
            QStringList({
                "ファイル(&F): バックアップ(&B)...|復元(&R)...|帳簿の点検|-|終了(&X)",
                "伝票入力(&I): 売上伝票(&1)|入金伝票(&2)|仕入伝票(&3)|支払伝票(&4)",
                "資料(&D): 売上明細表(&1)|仕入明細票(&2)|-|売掛残高一覧表(&3)|顧客元帳(&4)|-|"
                "買掛残高一覧表(&5)|仕入先元帳(&6)|-|商品在庫一覧表(&7)|商品元帳(&8)|-|"
                "月間売上集計表(&9)|月間仕入集計表(&A)|月間集計表(&B)|-|年間売上集計表(&C)|"
                "年間仕入集計表(&D)|-|売掛請求(&E)",
                "台帳保守(&M): 商品台帳(&1)|商品分類台帳(&2)|顧客台帳(&3)|仕入先台帳(&4)|担当者台帳(&5)|-|"
                "単位リスト(&6)",
                "環境設定(&S): 会社情報(&1)|消費税設定(&2)",
                "ヘルプ(&H): バージョン情報(&V)",
            }));
        for (const Launcher::Entry& e : Launcher::entries())
            QVERIFY(form.action(QLatin1String(e.action))->shortcut().isEmpty());
    }

    // Every entry, reached from its list view by double-click and by Enter (with
    // and without Shift or Ctrl) and from the menu, opens its own window, owned
    // by the main window, a new one each time, released when it closes.
    void dispatchByCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("page");
        for (const Launcher::Entry& e : Launcher::entries())
            QTest::newRow(e.action) << QString::fromUtf16(e.caption) << QString(QLatin1String(e.action))
                                    << e.page;
    }

    void dispatchByCaption()
    {
        QFETCH(QString, caption);
        QFETCH(QString, action);
        QFETCH(int, page);

        Openings openings;
        const WindowRegistry registry = registryFor(openings);
        TMainForm form(registry);
        form.show();
        form.barButtons()[page]->click();
        QListWidget* list = form.listViews()[page];
        QListWidgetItem* item = itemByCaption(list, caption);
        QVERIFY(item);
        list->setCurrentItem(item);
        list->setFocus();

        const QList<Qt::KeyboardModifiers> modifiers = {Qt::NoModifier, Qt::ShiftModifier,
                                                        Qt::ControlModifier};
        const int openingsExpected = 2 + modifiers.size();
        bool owned[6] = {};
        ModalDriver driver;
        for (int i = 0; i < openingsExpected; ++i)
            closeNextWindow(driver, &form, &owned[i]);

        // Double-click on the item.
        doubleClick(list, list->visualItemRect(item).center());
        for (Qt::KeyboardModifiers m : modifiers)
            QTest::keyClick(list, Qt::Key_Return, m);
        // The menu item of the same action.
        QAction* fromMenu = nullptr;
        for (QAction* top : form.menuBar()->actions())
            for (QAction* a : top->menu()->actions())
                if (a->objectName() == action)
                    fromMenu = a;
        QVERIFY(fromMenu);
        fromMenu->trigger();

        QVERIFY(driver.finished());
        QCOMPARE(openings.captions, QStringList(openingsExpected, action));
        for (int i = 0; i < openingsExpected; ++i) {
            QVERIFY2(owned[i], "opened modally, owned by the main window");
            QVERIFY2(openings.windows[i].isNull(), "released after closing");
        }
        QVERIFY(form.isEnabled());
    }

    void noSelectionOpensNothing()
    {
        Openings openings;
        const WindowRegistry registry = registryFor(openings);
        TMainForm form(registry);
        form.show();
        for (QListWidget* list : form.listViews()) {
            list->clearSelection();
            form.ListViewDblClick(list);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
            QTest::keyClick(list, Qt::Key_Enter);
            // A double-click on the empty space below the items.
            doubleClick(list, QPoint(list->viewport()->width() - 5, list->viewport()->height() - 5));
        }
        QVERIFY(openings.captions.isEmpty());
    }

    void pageButtonsSwitchPagesOnly()
    {
        Openings openings;
        const WindowRegistry registry = registryFor(openings);
        TMainForm form(registry);
        form.show();
        const QList<QToolButton*> buttons = form.barButtons();
        QCOMPARE(buttons.size(), 4);
        QVERIFY(buttons[0]->isChecked());
        QCOMPARE(buttons[0]->text(), QString("伝票入力"));
        for (QToolButton* b : buttons) {
            QCOMPARE(b->iconSize(), QSize(48, 48));
            QVERIFY(!b->icon().pixmap(48, 48).isNull());
        }
        for (int i : {2, 1, 3, 0, 3}) {
            QTest::mouseClick(buttons[i], Qt::LeftButton);
            QCOMPARE(form.PageControl->currentIndex(), i);
            for (int j = 0; j < 4; ++j)
                QCOMPARE(buttons[j]->isChecked(), j == i);
        }
        // Clicking the button that is down keeps it down.
        QTest::mouseClick(buttons[3], Qt::LeftButton);
        QVERIFY(buttons[3]->isChecked());
        QVERIFY(openings.captions.isEmpty());
    }

    void entriesWithoutWindowCannotRun()
    {
        WindowRegistry registry;
        int opened = 0;
        registry.add("ActionInputTax", [&](QWidget* owner) -> QDialog* {
            ++opened;
            return new QDialog(owner);
        });
        TMainForm form(registry);
        form.show();
        QVERIFY(form.action("ActionInputTax")->isEnabled());
        QListWidgetItem* company = itemByCaption(form.ListViewSetting, "会社情報");
        QVERIFY(!form.action("ActionInputCompany")->isEnabled());
        QVERIFY(!(company->flags() & Qt::ItemIsEnabled));

        form.action("ActionInputCompany")->trigger();
        form.ActionInputCompanyExecute();
        form.ListViewSetting->setCurrentItem(company);
        form.ListViewDblClick(form.ListViewSetting);
        QCOMPARE(opened, 0);

        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, registry.add("ActionNoSuchThing", [](QWidget*) {
            return static_cast<QDialog*>(nullptr);
        }));
    }

    // The window's creation fails outright: one error box, nothing opens, the
    // main window stays usable and the next opening works.
    void failedCreationLeavesTheMainWindowUsable()
    {
        WindowRegistry registry;
        int attempts = 0;
        registry.add("ActionInputItem", [&](QWidget* owner) -> QDialog* {
            if (++attempts == 1)
                throw DbError("database is locked");
            return new QDialog(owner);
        });
        TMainForm form(registry);
        form.show();
        bool secondOwned = false;
        ModalDriver driver;
        driver.answer(QMessageBox::Ok);
        closeNextWindow(driver, &form, &secondOwned);
        form.ActionInputItemExecute();
        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].text, QString("database is locked"));
        QVERIFY(form.isEnabled());
        form.ActionInputItemExecute();
        QVERIFY(secondOwned);
        QCOMPARE(attempts, 2);
    }

    void missingDatabaseShowsOneErrorThenTheWindow()
    {
        QTemporaryDir empty;
        overrideDatabaseDirectory(empty.path());
        WindowRegistry registry;
        QPointer<DataWindow> window;
        registry.add("ActionInputCustomer",
                     [&](QWidget* owner) -> QDialog* { return window = new DataWindow(owner); });
        TMainForm form(registry);
        form.show();

        bool shownWithoutData = false;
        ModalDriver driver;
        driver.answer(QMessageBox::Ok).then([&](QWidget* modal) {
            shownWithoutData = modal == window && !window->connected();
            QTest::keyClick(modal, Qt::Key_F12);
        });
        form.ListViewMaster->setCurrentItem(itemByCaption(form.ListViewMaster, "顧客台帳"));
        form.ListViewDblClick(form.ListViewMaster);
        overrideDatabaseDirectory(QString());

        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Critical);
        QVERIFY(shownWithoutData);
        QVERIFY(driver.finished());
        QVERIFY(window.isNull());
        QVERIFY(form.isEnabled());
    }

    void fileCloseEndsAtOnce()
    {
        WindowRegistry none;
        auto* form = new TMainForm(none);
        form->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<TMainForm> alive = form;
        form->show();
        ModalDriver driver;  // any question would be a modal window
        driver.then([](QWidget*) {});
        form->mnuFileClose->trigger();
        QTRY_VERIFY(alive.isNull());
        QVERIFY(!driver.finished());
    }
};

#include "tst_mainform.moc"

int runMainFormTests(int argc, char** argv)
{
    TestMainForm t;
    return QTest::qExec(&t, argc, argv);
}
