#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <stdexcept>

#include "errorreport.h"
#include "graypanel.h"
#include "keys.h"
#include "messageboxes.h"
#include "modal.h"
#include "modaldriver.h"
#include "probewindow.h"
#include "testdb.h"

Q_DECLARE_METATYPE(QMessageBox::StandardButton)
Q_DECLARE_METATYPE(QMessageBox::Icon)

namespace {

// A dialog that counts its instances, for the modal helper.
class CountedDialog : public QDialog {
public:
    explicit CountedDialog(QWidget* owner, int value = 0) : QDialog(owner), value(value) { ++alive; }
    ~CountedDialog() override { --alive; }
    int value;
    inline static int alive = 0;
};

// An object whose event handler throws, as a careless handler would.
class Thrower : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("escaped");
        return QObject::event(e);
    }
};

}  // namespace

class TestUiHelpers : public QObject {
    Q_OBJECT

private slots:
    void messageBoxes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
        QTest::addColumn<bool>("result");

        const int yesNo = QMessageBox::Yes | QMessageBox::No;
        const QString question = "削除してよろしいですか?";
        QTest::newRow("confirm yes") << "confirm" << QMessageBox::Yes << QMessageBox::Question << question
                                     << yesNo << QMessageBox::No << true;
        QTest::newRow("confirm no") << "confirm" << QMessageBox::No << QMessageBox::Question << question
                                    << yesNo << QMessageBox::No << false;
        QTest::newRow("confirm escape") << "confirm" << QMessageBox::NoButton << QMessageBox::Question
                                        << question << yesNo << QMessageBox::No << false;
        QTest::newRow("warning") << "warning" << QMessageBox::Ok << QMessageBox::Warning
                                 << "商品分類が入力されていません。" << int(QMessageBox::Ok)
                                 << QMessageBox::Ok << false;
        QTest::newRow("error") << "error" << QMessageBox::Ok << QMessageBox::Critical << "disk I/O error"
                               << int(QMessageBox::Ok) << QMessageBox::Ok << false;
        QTest::newRow("plain") << "plain" << QMessageBox::Ok << QMessageBox::NoIcon
                               << "伝票を登録できません。" << int(QMessageBox::Ok) << QMessageBox::Ok
                               << false;
    }

    void messageBoxes()
    {
        QFETCH(QString, kind);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QString, text);
        QFETCH(int, buttons);
        QFETCH(QMessageBox::StandardButton, defaultButton);
        QFETCH(bool, result);

        ModalDriver driver;
        driver.answer(answer);
        bool confirmed = false;
        if (kind == "confirm")
            confirmed = MessageBoxes::confirmDelete(nullptr);
        else if (kind == "warning")
            MessageBoxes::warning(nullptr, text);
        else if (kind == "error")
            MessageBoxes::error(nullptr, text);
        else
            MessageBoxes::plain(nullptr, text);

        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].icon, icon);
        QCOMPARE(driver.boxes[0].text, text);
        QCOMPARE(int(driver.boxes[0].buttons), buttons);
        QCOMPARE(driver.boxes[0].defaultButton, defaultButton);
        QCOMPARE(confirmed, result);
    }

    void closingTheQuestionMeansNo()
    {
        ModalDriver driver;
        driver.closeIt();
        QVERIFY(!MessageBoxes::confirmDelete(nullptr));
        QVERIFY(driver.finished());
    }

    void runGuardedReportsEveryKindOfError_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("data layer") << 0 << "UNIQUE constraint failed: t_商品.商品コード";
        QTest::newRow("standard") << 1 << "bad value";
        QTest::newRow("anything else") << 2 << "予期しないエラーが発生しました。";
    }

    void runGuardedReportsEveryKindOfError()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        ModalDriver driver;
        driver.answer(QMessageBox::Ok);
        const bool finished = runGuarded(nullptr, [&] {
            if (kind == 0)
                throw DbError(message);
            if (kind == 1)
                throw std::invalid_argument(message.toStdString());
            throw 42;
        });
        QVERIFY(!finished);
        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(driver.boxes[0].text, message);

        bool ran = false;
        QVERIFY(runGuarded(nullptr, [&] { ran = true; }));
        QVERIFY(ran);
    }

    // The application object's last net: an exception escaping an event handler
    // becomes the error box instead of ending the program.
    void escapedExceptionEndsOnlyThatEvent()
    {
        ModalDriver driver;
        driver.answer(QMessageBox::Ok);
        Thrower thrower;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(driver.boxes[0].text, QString("escaped"));
    }

    void openModalCreatesAndReleasesEachTime()
    {
        QWidget owner;
        QPointer<QDialog> first;
        ModalDriver driver;
        driver
            .then([&](QWidget* modal) {
                first = qobject_cast<QDialog*>(modal);
                modal->close();
            })
            .then([&](QWidget* modal) {
                // A new instance: the first is gone by now.
                if (!first && modal->parentWidget() == &owner)
                    qobject_cast<QDialog*>(modal)->accept();
            });
        QCOMPARE(openModal<CountedDialog>(&owner, 7), int(QDialog::Rejected));
        QVERIFY(first.isNull());
        QCOMPARE(CountedDialog::alive, 0);
        QCOMPARE(openModal<CountedDialog>(&owner), int(QDialog::Accepted));
        QCOMPARE(CountedDialog::alive, 0);
        QVERIFY(driver.finished());
    }

    void openModalWithReleasesOnEveryPath()
    {
        QWidget owner;
        int seenValue = -1;
        int seenResult = -1;
        ModalDriver driver;
        driver.then([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
        openModalWith<CountedDialog>(
            &owner, [](CountedDialog& d) { d.value = 5; },
            [&](CountedDialog& d, int result) {
                seenValue = d.value;
                seenResult = result;
            });
        QCOMPARE(seenValue, 5);
        QCOMPARE(seenResult, int(QDialog::Accepted));
        QCOMPARE(CountedDialog::alive, 0);

        // Preparing fails: the window never shows and is released all the same.
        bool finished = false;
        QVERIFY_THROWS_EXCEPTION(DbError, openModalWith<CountedDialog>(
                                              &owner, [](CountedDialog&) { throw DbError("no slip"); },
                                              [&](CountedDialog&, int) { finished = true; }));
        QVERIFY(!finished);
        QCOMPARE(CountedDialog::alive, 0);
    }

    void windowWhoseCreationFailedIsReleased()
    {
        QTemporaryDir empty;
        overrideDatabaseDirectory(empty.path());
        ProbeWindow::alive = 0;
        ModalDriver driver;
        driver.answer(QMessageBox::Ok).closeIt();
        openModal<ProbeWindow>(nullptr);
        overrideDatabaseDirectory(QString());
        QCOMPARE(driver.boxes.size(), 1);
        QCOMPARE(ProbeWindow::alive, 0);
    }

    void grayPanelLocksEverythingInside()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* outside = new QLineEdit(&window);
        auto* panel = new TGrayPanel(&window);
        auto* inner = new QVBoxLayout(panel);
        auto* field = new QLineEdit(panel);
        auto* button = new QPushButton("…", panel);
        auto* nested = new QWidget(panel);
        auto* deep = new QLineEdit(nested);
        inner->addWidget(field);
        inner->addWidget(button);
        inner->addWidget(nested);
        layout->addWidget(outside);
        layout->addWidget(panel);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        field->setFocus();
        QCOMPARE(QApplication::focusWidget(), field);
        panel->setEnabled(false);
        for (QWidget* w : std::initializer_list<QWidget*>{field, button, deep})
            QVERIFY(!w->isEnabled());
        QVERIFY(!panel->isAncestorOf(QApplication::focusWidget()));
        // Tabbing round the window never lands inside.
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Tab);
            QVERIFY(!panel->isAncestorOf(QApplication::focusWidget()));
        }
        QVERIFY(panel->palette().color(QPalette::Disabled, QPalette::Window) !=
                panel->palette().color(QPalette::Active, QPalette::Window));

        panel->setEnabled(true);
        QVERIFY(field->isEnabled() && button->isEnabled() && deep->isEnabled());
    }

    void keyMeanings_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("dropDown");
        QTest::addColumn<bool>("enter");
        const int keypad = Qt::KeypadModifier;
        QTest::newRow("F4") << int(Qt::Key_F4) << 0 << true << false;
        QTest::newRow("Shift+F4") << int(Qt::Key_F4) << int(Qt::ShiftModifier) << false << false;
        QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier) << true << false;
        QTest::newRow("Alt+keypad Down")
            << int(Qt::Key_Down) << int(Qt::AltModifier | Qt::KeypadModifier) << true << false;
        QTest::newRow("Down") << int(Qt::Key_Down) << 0 << false << false;
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << false << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << keypad << false << true;
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false << false;
    }

    void keyMeanings()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QTEST(Keys::isDropDown(&event), "dropDown");
        QTEST(Keys::isEnter(&event), "enter");
    }
};

#include "tst_uihelpers.moc"

int runUiHelperTests(int argc, char** argv)
{
    TestUiHelpers t;
    return QTest::qExec(&t, argc, argv);
}
