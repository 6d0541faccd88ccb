#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "boxanswer.h"
#include "calculator.h"
#include "calculatorpopup.h"
#include "connection.h"
#include "dataset.h"
#include "datepicker.h"
#include "dbcodeedit.h"
#include "dbdateedit.h"
#include "dbedit.h"
#include "dbnumberedit.h"
#include "dbpicklist.h"
#include "dbtext.h"
#include "fieldlink.h"
#include "focusframestyle.h"
#include "formats.h"
#include "functionwindow.h"
#include "testdb.h"
#include "widgettesthelp.h"

Q_DECLARE_METATYPE(DbNumberEdit::Kind)
Q_DECLARE_METATYPE(DisplayFormat)

namespace {

// A form as the windows build them: the fields under test, then a plain field
// to move the focus to, and a window action on F11 that records what the
// dataset holds when it runs.
struct Form : QDialog {
    Form()
    {
        layout = new QVBoxLayout(this);
        post = new QAction(QStringLiteral("登録"), this);
        post->setShortcut(Qt::Key_F11);
        post->setShortcutContext(Qt::WindowShortcut);
        addAction(post);
    }
    template <class W>
    W* add(W* widget)
    {
        layout->addWidget(widget);
        return widget;
    }
    void finish() { layout->addWidget(other); }
    void next() { focusNextChild(); }

    QVBoxLayout* layout;
    QLineEdit* other = new QLineEdit;
    QAction* post;
};

}  // namespace

class TestWidgets : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textFieldShowsTheRowAndWritesWhenLeft();
    void textFieldEnterEscapeAndEmptyText();
    void textFieldLimitedToColumnWidth();
    void textFieldWithADropDownList();
    void programmaticAssignmentsDoNotEcho();
    void codeFieldTextPutInByWindowIsStoredOnLeaving();
    void freeCodeFieldCanKeepTheFocus();
    void actionKeyAndFocuslessButtonStoreTheTypedValue();
    void refusedValueStopsTheActionKey();
    void numberField_data();
    void numberField();
    void numberFieldShowsTheFormatAwayFromTheFocus();
    void numberFieldCalculator();
    void pickListStoresTheCode();
    void pickListWithFixedEntries();
    void dateFieldStoresTheTypedDate();
    void emptyDateFieldStaysEmptyUnlessChosen();
    void dateFieldTakesTypedDates_data();
    void dateFieldTakesTypedDates();
    void datePickerAlwaysHoldsADate();
    void readOnlyText_data();
    void readOnlyText();
    void calculator_data();
    void calculator();
    void enterAsTabStoresAndMovesOn();

private:
    TestDb* m_db = nullptr;
    Connection* m_c = nullptr;
};

void TestWidgets::init()
{
    m_db = new TestDb;
    m_c = new Connection(m_db->path());
    m_db->exec(
        "INSERT INTO m_担当者 VALUES ('01', '山田'), ('02', '佐藤');"
        "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード) VALUES (1, '2024-05-01', '10'), (2, NULL, "
        "'20');"
        "INSERT INTO t_売上明細 (伝票番号, 明細番号, 単価, 数量) VALUES (1, 1, 10000000, 20000);"
        "INSERT INTO m_顧客 (顧客コード, 顧客名, 郵便番号, 締日) VALUES ('C1', '顧客一', 1000001, 20);");
}

void TestWidgets::cleanup()
{
    delete m_c;
    delete m_db;
}

void TestWidgets::textFieldShowsTheRowAndWritesWhenLeft()
{
    Dataset ds(*m_c, "SELECT * FROM m_担当者 ORDER BY 担当者コード");
    ds.setWriteTarget("m_担当者", {"担当者コード"}, Dataset::WriteMode::Immediate);
    Form form;
    auto* name = form.add(new DbEdit);
    form.finish();
    name->bind(ds, "担当者名", 50);
    QVERIFY(!name->isEnabled());
    QVERIFY(name->text().isEmpty());

    ds.open();
    QVERIFY(name->isEnabled());
    QCOMPARE(name->text(), QStringLiteral("山田"));
    ds.next();
    QCOMPARE(name->text(), QStringLiteral("佐藤"));
    QCOMPARE(ds.state(), Dataset::State::Browse);

    QVERIFY(showActive(&form));
    name->setFocus(Qt::TabFocusReason);
    name->selectAll();
    typeCommitted(name, "花子");
    // The first change starts the edit; the value waits until the field is left.
    QCOMPARE(ds.state(), Dataset::State::Edit);
    QCOMPARE(ds.field("担当者名").asText(), QStringLiteral("佐藤"));
    QSignalSpy exited(name, &DbEdit::exited);
    QTest::keyClick(name, Qt::Key_Tab);
    QVERIFY(form.other->hasFocus());
    QCOMPARE(exited.count(), 1);
    QCOMPARE(ds.field("担当者名").asText(), QStringLiteral("花子"));
    ds.post();
    QCOMPARE(rowsOf(m_db->path(), "SELECT 担当者名 FROM m_担当者 WHERE 担当者コード = '02'"),
             QStringList({"花子"}));

    ds.close();
    QVERIFY(!name->isEnabled());
    QVERIFY(name->text().isEmpty());
}

void TestWidgets::textFieldEnterEscapeAndEmptyText()
{
    Dataset ds(*m_c, "SELECT * FROM m_担当者 ORDER BY 担当者コード");
    Form form;
    auto* name = form.add(new DbEdit);
    form.finish();
    name->bind(ds, "担当者名");
    ds.open();
    QVERIFY(showActive(&form));
    name->setFocus(Qt::TabFocusReason);

    // Escape puts the stored value back.
    QTest::keyClicks(name, "abc");
    QTest::keyClick(name, Qt::Key_Escape);
    QCOMPARE(name->text(), QStringLiteral("山田"));
    QCOMPARE(ds.field("担当者名").asText(), QStringLiteral("山田"));

    // Enter stores without leaving.
    name->selectAll();
    QTest::keyClicks(name, "Taro");
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(name->hasFocus());
    QCOMPARE(ds.field("担当者名").asText(), QStringLiteral("Taro"));

    // An emptied field stores null, never an empty text.
    name->clear();
    QTest::keyClick(name, Qt::Key_Tab);
    QVERIFY(ds.field("担当者名").isNull());
    QVERIFY(ds.field("担当者名").value().isNull());
}

void TestWidgets::textFieldLimitedToColumnWidth()
{
    Dataset ds(*m_c, "SELECT * FROM m_担当者 ORDER BY 担当者コード");
    Form form;
    auto* code = form.add(new DbEdit);
    form.finish();
    code->bind(ds, "担当者コード", 2);
    ds.open();
    QVERIFY(showActive(&form));
    code->setFocus(Qt::TabFocusReason);
    code->selectAll();
    QTest::keyClicks(code, "12345");
    QCOMPARE(code->text(), QStringLiteral("12"));
}

void TestWidgets::textFieldWithADropDownList()
{
    Dataset ds(*m_c, "SELECT * FROM m_担当者 ORDER BY 担当者コード");
    Dataset units(*m_c, "SELECT * FROM m_単位 WHERE 単位コード <= 3 ORDER BY 単位コード");
    Form form;
    auto* unit = form.add(new DbEdit);
    form.finish();
    unit->setDropDownList(units, "単位");
    units.open();  // the lists open after the window is built
    unit->bind(ds, "担当者名", 8);
    ds.open();
    QVERIFY(showActive(&form));
    unit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(unit, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* list = unit->completer()->popup();
    QVERIFY(list->isVisible());
    QCOMPARE(list->model()->rowCount(), 3);  // all of them, whatever is typed
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(unit->text(), QStringLiteral("本"));
    // Enter in the list is Enter in the field: the entry is stored.
    QCOMPARE(ds.field("担当者名").asText(), QStringLiteral("本"));
    QVERIFY(unit->hasFocus());
}

void TestWidgets::programmaticAssignmentsDoNotEcho()
{
    Dataset ds(*m_c, "SELECT * FROM m_担当者 ORDER BY 担当者コード");
    QStringList assigned;
    ds.events.fieldChanged = [&](const QString& f) { assigned << f; };
    int edits = 0;
    ds.events.beforeEdit = [&] { ++edits; };
    Form form;
    auto* name = form.add(new DbEdit);
    auto* amount = form.add(new DbNumberEdit(DbNumberEdit::Kind::Integer));
    auto* pick = form.add(new DbPickList);
    auto* date = form.add(new DbDateEdit);
    form.finish();
    pick->setItems({{"01", "一"}, {"02", "二"}});
    name->bind(ds, "担当者名");
    amount->bind(ds, "担当者コード");
    pick->bind(ds, "担当者コード");
    date->bind(ds, "担当者名");
    QVERIFY(showActive(&form));

    ds.open();
    ds.next();
    ds.first();
    QCOMPARE(edits, 0);
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(pick->currentText(), QStringLiteral("一"));

    // A value the program assigns is shown, and not assigned a second time.
    ds.edit();
    ds.setValue("担当者名", "代入");
    QCOMPARE(name->text(), QStringLiteral("代入"));
    QCOMPARE(assigned, QStringList({"担当者名"}));
    ds.cancel();
    QCOMPARE(name->text(), QStringLiteral("山田"));
    QCOMPARE(assigned, QStringList({"担当者名"}));
}

void TestWidgets::codeFieldTextPutInByWindowIsStoredOnLeaving()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上 WHERE 伝票番号 = 1");
    Form form;
    auto* customer = form.add(new DbCodeEdit);
    form.finish();
    customer->bind(ds, "顧客コード", 13);
    ds.open();
    QVERIFY(showActive(&form));

    form.other->setFocus();
    // The window answers the button as it answers a lookup dialog's OK.
    QStringList order;
    connect(customer, &DbCodeEdit::buttonClicked, this, [&] {
        order << (customer->hasFocus() ? "button:focused" : "button");
        customer->setText("C1");
        form.next();
    });
    connect(customer, &DbCodeEdit::exited, this,
            [&] { order << "exited:" + ds.field("顧客コード").asText(); });
    customer->clickButton();
    QCOMPARE(order, QStringList({"button:focused", "exited:C1"}));
    QCOMPARE(ds.state(), Dataset::State::Edit);

    // From the keyboard: Alt+Down in the field.
    order.clear();
    customer->setFocus(Qt::TabFocusReason);
    QTest::keyClick(customer, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(order.value(0), QStringLiteral("button:focused"));
}

// A master editor's EditCode: free, and an empty code does not let the focus go.
void TestWidgets::freeCodeFieldCanKeepTheFocus()
{
    Form form;
    auto* code = form.add(new DbCodeEdit);
    auto* slip = form.add(new DbCodeEdit);
    form.finish();
    slip->setDigitsOnly(2147483647);
    int exits = 0;
    connect(code, &DbCodeEdit::exited, this, [&] {
        ++exits;
        if (code->text().isEmpty())
            code->setFocus();
    });
    QVERIFY(showActive(&form));
    code->setFocus(Qt::TabFocusReason);
    QTest::keyClick(code, Qt::Key_Tab);
    QVERIFY(code->hasFocus());
    QCOMPARE(exits, 1);
    QTest::keyClicks(code, "A001");
    QTest::keyClick(code, Qt::Key_Tab);
    QVERIFY(slip->hasFocus());
    QCOMPARE(exits, 2);

    // A slip number: digits only, at most 2147483647.
    QTest::keyClicks(slip, "12a-3");
    QCOMPARE(slip->text(), QStringLiteral("123"));
    slip->clear();
    QTest::keyClicks(slip, "2147483648");
    QCOMPARE(slip->text(), QStringLiteral("214748364"));
}

void TestWidgets::actionKeyAndFocuslessButtonStoreTheTypedValue()
{
    Dataset ds(*m_c, "SELECT * FROM m_担当者 ORDER BY 担当者コード");
    Form form;
    auto* name = form.add(new DbEdit);
    auto* button = form.add(new QToolButton);
    button->setFocusPolicy(Qt::NoFocus);
    form.finish();
    name->bind(ds, "担当者名");
    QStringList seen;
    connect(form.post, &QAction::triggered, this, [&] { seen << ds.field("担当者名").asText(); });
    connect(button, &QToolButton::clicked, this, [&] { seen << ds.field("担当者名").asText(); });
    ds.open();
    QVERIFY(showActive(&form));

    name->setFocus(Qt::TabFocusReason);
    name->selectAll();
    QTest::keyClicks(name, "F11");
    QTest::keyClick(name, Qt::Key_F11);
    name->selectAll();
    QTest::keyClicks(name, "Click");
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(name->hasFocus());
    QCOMPARE(seen, QStringList({"F11", "Click"}));
}

void TestWidgets::refusedValueStopsTheActionKey()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細");
    Form form;
    auto* price = form.add(new DbNumberEdit(DbNumberEdit::Kind::Money));
    form.finish();
    price->bind(ds, "単価");
    int posts = 0;
    connect(form.post, &QAction::triggered, this, [&] { ++posts; });
    ds.open();
    QVERIFY(showActive(&form));

    price->setFocus(Qt::TabFocusReason);
    price->selectAll();
    QTest::keyClicks(price, "12a");
    auto box = answerNextBox(QMessageBox::Ok);
    QTest::keyClick(price, Qt::Key_F11);
    QTRY_VERIFY(box->seen);
    QCOMPARE(posts, 0);
    QCOMPARE(ds.field("単価").asMoney(), Money::fromYen(1000));
    QTRY_COMPARE(form.focusWidget(), price);
    QVERIFY(showActive(&form));
    // Corrected, the same key runs the action.
    price->selectAll();
    QTest::keyClicks(price, "12");
    QTest::keyClick(price, Qt::Key_F11);
    QCOMPARE(posts, 1);
    QCOMPARE(ds.field("単価").asMoney(), Money::fromYen(12));
}

void TestWidgets::numberField_data()
{
    QTest::addColumn<DbNumberEdit::Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");  // invalid: refused
    QTest::addColumn<QString>("shown");    // away from the focus; or the message
    using K = DbNumberEdit::Kind;
    const QVariant refused;
    QTest::newRow("money") << K::Money << "1234" << QVariant(12340000LL) << "¥1,234";
    QTest::newRow("money full width, separators")
        << K::Money << "１，２３４" << QVariant(12340000LL) << "¥1,234";
    QTest::newRow("money with yen sign") << K::Money << "¥-50" << QVariant(-500000LL) << "-¥50";
    QTest::newRow("money half yen shows rounded") << K::Money << "12.5" << QVariant(125000LL) << "¥13";
    QTest::newRow("price") << K::Price << "1234.5" << QVariant(12345000LL) << "¥1,234.5";
    QTest::newRow("quantity") << K::Quantity << "3" << QVariant(30000LL) << "3.00";
    QTest::newRow("postal code") << K::Integer << "1234567" << QVariant(1234567LL) << "1234567";
    QTest::newRow("letters") << K::Money << "12a" << refused << "数値ではありません";
    QTest::newRow("five decimals") << K::Quantity << "1.23456" << refused << "小数は4桁まで";
    QTest::newRow("whole number with decimals")
        << K::Integer << "12.5" << refused << "整数を入力してください";
    QTest::newRow("whole number out of range") << K::Integer << "12345678" << refused << "0 から 9999999";
}

void TestWidgets::numberField()
{
    QFETCH(DbNumberEdit::Kind, kind);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);

    Dataset ds(*m_c, "SELECT * FROM t_売上明細");
    Form form;
    auto* number = form.add(new DbNumberEdit(kind));
    form.finish();
    number->setRange(0, 9999999);
    number->bind(ds, "単価");
    ds.open();
    const QVariant before = ds.field("単価").value();
    const QString beforeShown = number->text();
    QVERIFY(showActive(&form));
    number->setFocus(Qt::TabFocusReason);
    number->selectAll();
    typeCommitted(number, typed);
    std::shared_ptr<SeenBox> box;
    if (!stored.isValid())
        box = answerNextBox(QMessageBox::Ok);
    QTest::keyClick(number, Qt::Key_Tab);

    if (stored.isValid()) {
        QCOMPARE(ds.field("単価").value(), stored);
        QCOMPARE(number->text(), shown);
        return;
    }
    QTRY_VERIFY(box->seen);
    QCOMPARE(box->icon, QMessageBox::Critical);
    QVERIFY2(box->text.contains(shown) && box->text.contains(typed), qPrintable(box->text));
    QCOMPARE(ds.field("単価").value(), before);
    QTRY_COMPARE(form.focusWidget(), number);  // back to the field to correct it
    QVERIFY(showActive(&form));
    QVERIFY(number->hasFocus());
    form.other->setFocus();
    QCOMPARE(number->text(), beforeShown);
}

void TestWidgets::numberFieldShowsTheFormatAwayFromTheFocus()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細");
    Form form;
    auto* price = form.add(new DbNumberEdit(DbNumberEdit::Kind::Money));
    auto* quantity = form.add(new DbNumberEdit(DbNumberEdit::Kind::Quantity));
    form.finish();
    price->bind(ds, "単価");
    quantity->bind(ds, "数量");
    ds.open();
    QCOMPARE(price->text(), QStringLiteral("¥1,000"));
    QCOMPARE(quantity->text(), QStringLiteral("2.00"));
    QCOMPARE(price->alignment() & Qt::AlignRight, Qt::AlignRight);
    QVERIFY(showActive(&form));
    price->setFocus(Qt::TabFocusReason);
    QCOMPARE(price->text(), QStringLiteral("1000"));
    QCOMPARE(price->selectedText(), QStringLiteral("1000"));
    QTest::keyClick(price, Qt::Key_Tab);
    QCOMPARE(price->text(), QStringLiteral("¥1,000"));
    QCOMPARE(quantity->text(), QStringLiteral("2"));
    // Leaving without a change starts no edit.
    QCOMPARE(ds.state(), Dataset::State::Browse);
}

void TestWidgets::numberFieldCalculator()
{
    Dataset ds(*m_c, "SELECT * FROM t_売上明細");
    Form form;
    auto* price = form.add(new DbNumberEdit(DbNumberEdit::Kind::Price));
    form.finish();
    price->setCalculatorButton(true);
    price->bind(ds, "単価");
    ds.open();
    QVERIFY(showActive(&form));
    price->setFocus(Qt::TabFocusReason);
    QTest::keyClick(price, Qt::Key_Down, Qt::AltModifier);
    auto* popup = qobject_cast<CalculatorPopup*>(QApplication::activePopupWidget());
    QVERIFY(popup);
    QCOMPARE(popup->display(), QStringLiteral("1000"));  // starts from the field's value
    QTest::keyClicks(popup, "*3/4");
    QTest::keyClick(popup, Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(price->text(), QStringLiteral("750"));
    QCOMPARE(ds.field("単価").asMoney(), Money::fromYen(1000));  // as typed: stored on leaving
    QTest::keyClick(price, Qt::Key_Tab);
    QCOMPARE(ds.field("単価").asMoney(), Money::fromYen(750));

    // Escape closes it without a value.
    price->setFocus(Qt::TabFocusReason);
    price->openCalculator();
    popup = qobject_cast<CalculatorPopup*>(QApplication::activePopupWidget());
    QVERIFY(popup);
    QTest::keyClicks(popup, "9");
    QTest::keyClick(popup, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(price->text(), QStringLiteral("750"));
    QVERIFY(!price->link().isPending());
}

void TestWidgets::pickListStoresTheCode()
{
    Dataset classes(*m_c, "SELECT * FROM m_売上区分 ORDER BY 売上区分コード");
    Dataset sales(*m_c, "SELECT * FROM t_売上 ORDER BY 伝票番号");
    Form form;
    auto* pick = form.add(new DbPickList);
    form.finish();
    pick->setSource(classes, "売上区分コード", "区分名");
    pick->bind(sales, "売上区分コード");
    QCOMPARE(pick->count(), 0);
    classes.open();  // the fixed lists open after the window is built
    sales.open();
    QCOMPARE(pick->count(), 2);
    QCOMPARE(pick->itemText(0), QStringLiteral("10 掛売"));
    QCOMPARE(pick->itemText(1), QStringLiteral("20 現金"));
    QCOMPARE(pick->currentText(), QStringLiteral("10 掛売"));
    sales.next();
    QCOMPARE(pick->currentText(), QStringLiteral("20 現金"));
    sales.first();
    QCOMPARE(sales.state(), Dataset::State::Browse);

    QVERIFY(showActive(&form));
    pick->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pick, Qt::Key_Down);
    QCOMPARE(sales.state(), Dataset::State::Edit);
    QCOMPARE(sales.field("売上区分コード").asText(), QStringLiteral("20"));
    // Escape, Delete and Backspace keep the choice.
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Delete, Qt::Key_Backspace})
        QTest::keyClick(pick, key);
    QCOMPARE(sales.field("売上区分コード").asText(), QStringLiteral("20"));
    QCOMPARE(pick->currentText(), QStringLiteral("20 現金"));
    // Typing the code chooses it.
    QTest::keyClicks(pick, "1");
    QCOMPARE(sales.field("売上区分コード").asText(), QStringLiteral("10"));

    // A code the list does not hold shows no choice.
    sales.setValue("売上区分コード", "99");
    QCOMPARE(pick->currentIndex(), -1);
    QVERIFY(pick->currentCode().isNull());
}

void TestWidgets::pickListWithFixedEntries()
{
    Dataset customers(*m_c, "SELECT * FROM m_顧客");
    Form form;
    auto* closing = form.add(new DbPickList);
    form.finish();
    QList<PickListItem> days;
    for (int d = 1; d <= 31; ++d)
        days.append({qlonglong(d), QStringLiteral("%1日").arg(d, 2, 10, QChar(u'0'))});
    days.append({32LL, QStringLiteral("月末")});
    closing->setItems(days);
    closing->bind(customers, "締日");
    customers.open();
    QCOMPARE(closing->currentText(), QStringLiteral("20日"));
    QVERIFY(showActive(&form));
    closing->setFocus(Qt::TabFocusReason);
    QTest::keyClick(closing, Qt::Key_End);
    QCOMPARE(customers.field("締日").value(), QVariant(32LL));
    QCOMPARE(closing->currentText(), QStringLiteral("月末"));

    // The list with the focus is framed in the highlight colour; without it, not.
    FocusFrameStyle style(QStringLiteral("Fusion"));
    closing->setStyle(&style);
    const auto edgePixel = [closing] {
        return closing->grab().toImage().pixelColor(1, closing->height() / 2);
    };
    const QColor highlight = closing->palette().color(QPalette::Highlight);
    QCOMPARE(edgePixel(), highlight);
    form.other->setFocus();
    QVERIFY(edgePixel() != highlight);
    closing->setStyle(nullptr);
}

void TestWidgets::dateFieldStoresTheTypedDate()
{
    Dataset sales(*m_c, "SELECT * FROM t_売上 ORDER BY 伝票番号");
    sales.setWriteTarget("t_売上", {"伝票番号"}, Dataset::WriteMode::Immediate, {"伝票合計"});
    Form form;
    auto* date = form.add(new DbDateEdit);
    form.finish();
    date->bind(sales, "売上年月日");
    sales.open();
    QCOMPARE(date->text(), QStringLiteral("2024/05/01"));
    QVERIFY(date->calendarPopup());
    QVERIFY(showActive(&form));
    date->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(date, "20240615");
    QCOMPARE(sales.state(), Dataset::State::Edit);
    QTest::keyClick(date, Qt::Key_Tab);
    QCOMPARE(sales.field("売上年月日").asDate(), QDate(2024, 6, 15));
    sales.post();
    QCOMPARE(rowsOf(m_db->path(), "SELECT 売上年月日 FROM t_売上 WHERE 伝票番号 = 1"),
             QStringList({"2024-06-15"}));
}

void TestWidgets::emptyDateFieldStaysEmptyUnlessChosen()
{
    Dataset sales(*m_c, "SELECT * FROM t_売上 WHERE 伝票番号 = 2");
    Form form;
    auto* date = form.add(new DbDateEdit);
    form.finish();
    date->bind(sales, "売上年月日");
    sales.open();
    QVERIFY(!date->value().isValid());
    QVERIFY(date->text().trimmed().isEmpty());
    QVERIFY(showActive(&form));

    // Passing through offers today, and leaves the field empty.
    date->setFocus(Qt::TabFocusReason);
    QCOMPARE(date->date(), QDate::currentDate());
    QTest::keyClick(date, Qt::Key_Tab);
    QVERIFY(sales.field("売上年月日").isNull());
    QCOMPARE(sales.state(), Dataset::State::Browse);
    QVERIFY(date->text().trimmed().isEmpty());

    // Enter takes the offered day.
    date->setFocus(Qt::TabFocusReason);
    QTest::keyClick(date, Qt::Key_Return);
    QCOMPARE(sales.field("売上年月日").asDate(), QDate::currentDate());
}

void TestWidgets::dateFieldTakesTypedDates_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("inputMethod");
    QTest::addColumn<QDate>("stored");  // invalid: refused, the old date kept
    QTest::addColumn<Qt::Key>("leave");
    QTest::newRow("compact") << "20261120" << false << QDate(2026, 11, 20) << Qt::Key_Tab;
    QTest::newRow("slashes, Enter") << "2026/11/20" << false << QDate(2026, 11, 20) << Qt::Key_Return;
    QTest::newRow("hyphens, keypad Enter") << "2026-11-20" << false << QDate(2026, 11, 20) << Qt::Key_Enter;
    QTest::newRow("this year") << "11/20" << false << QDate(QDate::currentDate().year(), 11, 20)
                               << Qt::Key_Tab;
    QTest::newRow("full-width") << "２０２６／１１／２０" << true << QDate(2026, 11, 20) << Qt::Key_Tab;
    QTest::newRow("no such day") << "2026/02/30" << false << QDate() << Qt::Key_Tab;
    QTest::newRow("no date") << "11/20/2026x" << false << QDate() << Qt::Key_Return;
}

// Whatever the field showed, entering it selects the whole text and a typed
// date replaces it; a text that is no date is refused with a message.
void TestWidgets::dateFieldTakesTypedDates()
{
    QFETCH(QString, typed);
    QFETCH(bool, inputMethod);
    QFETCH(QDate, stored);
    QFETCH(Qt::Key, leave);
    Dataset sales(*m_c, "SELECT * FROM t_売上 ORDER BY 伝票番号");
    sales.setWriteTarget("t_売上", {"伝票番号"}, Dataset::WriteMode::Immediate);
    Form form;
    auto* date = form.add(new DbDateEdit);
    form.finish();
    date->bind(sales, "売上年月日");
    sales.open();
    QVERIFY(showActive(&form));
    form.other->setFocus(Qt::TabFocusReason);
    date->setFocus(Qt::TabFocusReason);
    QCOMPARE(date->findChild<QLineEdit*>()->selectedText(), QStringLiteral("2024/05/01"));
    std::shared_ptr<SeenBox> box;
    if (!stored.isValid())
        box = answerNextBox(QMessageBox::Ok);
    if (inputMethod)
        typeCommitted(date, typed);
    else
        QTest::keyClicks(date, typed);
    QCOMPARE(date->text(), typed);
    QTest::keyClick(date, leave);
    if (stored.isValid()) {
        QCOMPARE(sales.field("売上年月日").asDate(), stored);
        QCOMPARE(date->text(), Formats::displayDate(stored));
        return;
    }
    QTRY_VERIFY(box->seen);
    QVERIFY2(box->text.contains(typed), qPrintable(box->text));
    QCOMPARE(sales.field("売上年月日").asDate(), QDate(2024, 5, 1));
    QCOMPARE(date->text(), QStringLiteral("2024/05/01"));
}

void TestWidgets::datePickerAlwaysHoldsADate()
{
    DatePicker picker;
    QCOMPARE(picker.date(), QDate::currentDate());
    QCOMPARE(picker.displayFormat(), QStringLiteral("yyyy/MM/dd"));
    picker.setDate(QDate(2005, 4, 1));
    QCOMPARE(picker.text(), QStringLiteral("2005/04/01"));
    QVERIFY(showActive(&picker));
    picker.openCalendar();
    QVERIFY(QApplication::activePopupWidget());
    QApplication::activePopupWidget()->close();
}

void TestWidgets::readOnlyText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<DisplayFormat>("format");
    QTest::addColumn<QString>("shown");
    QTest::newRow("money") << "単価" << DisplayFormat::Money << "¥1,000";
    QTest::newRow("quantity") << "数量" << DisplayFormat::Quantity << "2.00";
    QTest::newRow("integer") << "伝票番号" << DisplayFormat::Integer << "1";
    QTest::newRow("null") << "商品名" << DisplayFormat::Text << "";
}

void TestWidgets::readOnlyText()
{
    QFETCH(QString, field);
    QFETCH(DisplayFormat, format);
    QFETCH(QString, shown);
    Dataset ds(*m_c, "SELECT * FROM t_売上明細");
    DbText text;
    text.bind(ds, field, format);
    QVERIFY(text.text().isEmpty());
    ds.open();
    QCOMPARE(text.text(), shown);
    ds.close();
    QVERIFY(text.text().isEmpty());
}

void TestWidgets::calculator_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("display");
    QTest::newRow("left to right") << "2+3*4="
                                   << "20";
    QTest::newRow("division rounds to four decimals") << "2/3="
                                                      << "0.6667";
    QTest::newRow("negative division rounds away from zero") << "1~/3="
                                                             << "-0.3333";
    QTest::newRow("decimals") << "1.5*1.5="
                              << "2.25";
    QTest::newRow("fifth decimal ignored") << "1.23456"
                                           << "1.2345";
    QTest::newRow("operator replaced") << "8+-2="
                                       << "6";
    QTest::newRow("equals repeats the shown value") << "3+="
                                                    << "6";
    QTest::newRow("backspace") << "125<="
                               << "12";
    QTest::newRow("division by zero") << "5/0="
                                      << "E";
    QTest::newRow("error stays until cleared") << "5/0=7"
                                               << "E";
    QTest::newRow("cleared") << "5/0=C7"
                             << "7";
    QTest::newRow("overflow") << "99999999999999*99999999999999="
                              << "E";
}

void TestWidgets::calculator()
{
    QFETCH(QString, keys);
    QFETCH(QString, display);
    using Op = Calculator::Op;
    Calculator calc;
    for (const QChar k : keys) {
        if (k.isDigit())
            calc.digit(k.digitValue());
        else if (k == u'.')
            calc.point();
        else if (k == u'+')
            calc.operation(Op::Add);
        else if (k == u'-')
            calc.operation(Op::Subtract);
        else if (k == u'*')
            calc.operation(Op::Multiply);
        else if (k == u'/')
            calc.operation(Op::Divide);
        else if (k == u'=')
            calc.equals();
        else if (k == u'~')
            calc.negate();
        else if (k == u'<')
            calc.backspace();
        else if (k == u'C')
            calc.clear();
    }
    QCOMPARE(calc.display(), display);
}

// Enter as Tab: a bound field stores its value and the focus moves on.
void TestWidgets::enterAsTabStoresAndMovesOn()
{
    class Window : public FunctionWindow {
    public:
        explicit Window(Dataset& ds) : FunctionWindow(nullptr)
        {
            auto* layout = new QVBoxLayout(body());
            layout->addWidget(name);
            layout->addWidget(price);
            name->bind(ds, "担当者名");
            price->bind(ds, "担当者コード");
        }
        DbEdit* name = new DbEdit;
        DbNumberEdit* price = new DbNumberEdit(DbNumberEdit::Kind::Integer);
    };
    Dataset ds(*m_c, "SELECT * FROM m_担当者 ORDER BY 担当者コード");
    ds.open();
    Window w(ds);
    QVERIFY(showActive(&w));
    w.name->setFocus(Qt::TabFocusReason);
    w.name->selectAll();
    typeCommitted(w.name, "入力");
    QTest::keyClick(w.name, Qt::Key_Return);
    QVERIFY(w.price->hasFocus());
    QCOMPARE(ds.field("担当者名").asText(), QStringLiteral("入力"));
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
