// The unit list, the tax settings and the company information, driven through
// their windows: rows written as they are left, refused rows kept for
// correction, closing while typing, the rate in force on the rows typed, the
// company fields and the logo.
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "companylogo.h"
#include "connection.h"
#include "dataset.h"
#include "dbedit.h"
#include "dbeditgrid.h"
#include "dbnumberedit.h"
#include "decimalcelldelegate.h"
#include "inputcompanyform.h"
#include "inputtaxform.h"
#include "inputunitform.h"
#include "linetax.h"
#include "logoview.h"
#include "modaldriver.h"
#include "statement.h"
#include "testdb.h"
#include "widgettesthelp.h"

namespace {

QByteArray pngOf(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QImage imageOf(const QByteArray& png)
{
    QImage image;
    image.loadFromData(png);
    return image;
}

// Whether `actual` is `expected` after the logo's 16 bits per pixel.
bool near(QColor actual, QColor expected)
{
    return qAbs(actual.red() - expected.red()) <= 8 && qAbs(actual.green() - expected.green()) <= 8 &&
           qAbs(actual.blue() - expected.blue()) <= 8;
}

QStringList actionNames(const QWidget* window)
{
    QStringList names;
    for (const QAction* a : window->actions())
        if (!a->objectName().isEmpty())
            names << a->objectName() + u':' + a->text() + u':' + a->shortcut().toString();
    return names;
}

const QString UnitsSql = QStringLiteral("SELECT 単位コード, 単位 FROM m_単位 ORDER BY 単位コード");
const QString RatesSql = QStringLiteral("SELECT 適用年月日, 消費税率 FROM m_税率 ORDER BY 適用年月日");
const QString CompanySql = QStringLiteral(
    "SELECT 自社ID, 会社名, 代表者名, 郵便番号, 住所, 電話番号, FAX番号, \"E-Mail\", 取引銀行口座 "
    "FROM m_自社情報");

}  // namespace

class TestUnitTaxCompany : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listWindowsAsDescribed_data();
    void listWindowsAsDescribed();
    void unitRowsAreWrittenWhenLeft();
    void unitNameKeepsToEightCharacters();
    void duplicateKeyKeepsTheRowEditable_data();
    void duplicateKeyKeepsTheRowEditable();
    void rateThatIsNotANumberIsRefused();
    void rateShownAsAPlainFraction();
    void closingTheTaxWindowWhileTyping_data();
    void closingTheTaxWindowWhileTyping();
    void rateInForceOnTypedRows_data();
    void rateInForceOnTypedRows();

    void companyWindowAsDescribed();
    void companyFieldsSaveAndCancel();
    void postalCodeOfMoreThanSevenDigits();
    void logoChangeEnablesSaveAndCancelRestores();
    void logoDrawnIntoTheLogosSize_data();
    void logoDrawnIntoTheLogosSize();
    void unreadablePictureLeavesTheLogo_data();
    void unreadablePictureLeavesTheLogo();
    void cancelledFileDialogChangesNothing();
    void emptyCompanyTableStartsARow();

private:
    template <class W>
    W* open();
    TInputCompanyForm* openCompany(const QString& picture = {});
    QModelIndex cell(int row, int column) const;
    QString picturePath(const QString& name, const QImage& image) const;
    void setLogo(const QByteArray& png) const;
    QByteArray storedLogo() const;

    void closeForgottenBox();

    std::unique_ptr<TestDb> m_db;
    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<FunctionWindow> m_window;
    EditableListForm* m_list = nullptr;
    // A box no step expected is closed after a while, so that a failing test
    // reports instead of waiting for ever; its text fails the test.
    QTimer m_boxWatch;
    QPointer<QWidget> m_box;
    QElapsedTimer m_boxShown;
    QStringList m_unexpectedBoxes;
};

void TestUnitTaxCompany::closeForgottenBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    if (box != m_box) {
        m_box = box;
        m_boxShown.start();
    } else if (m_boxShown.elapsed() > 2000) {
        m_unexpectedBoxes << box->text();
        qWarning("unexpected box: %s", qPrintable(box->text()));
        box->reject();
    }
}

void TestUnitTaxCompany::init()
{
    m_unexpectedBoxes.clear();
    if (!m_boxWatch.isActive()) {
        connect(&m_boxWatch, &QTimer::timeout, this, &TestUnitTaxCompany::closeForgottenBox);
        m_boxWatch.start(100);
    }
    m_db = std::make_unique<TestDb>();
    m_files = std::make_unique<QTemporaryDir>();
}

void TestUnitTaxCompany::cleanup()
{
    m_window.reset();
    m_list = nullptr;
    m_files.reset();
    m_db.reset();
    QCOMPARE(m_unexpectedBoxes, QStringList());
}

template <class W>
W* TestUnitTaxCompany::open()
{
    auto* window = new W(nullptr);
    m_window.reset(window);
    if constexpr (std::is_base_of_v<EditableListForm, W>)
        m_list = window;
    if (!showActive(window))
        qWarning("the window did not become active");
    return window;
}

QModelIndex TestUnitTaxCompany::cell(int row, int column) const
{
    return m_list->GridList->datasetModel()->index(row, column);
}

// -- unit list and tax settings -------------------------------------------------------------------

void TestUnitTaxCompany::listWindowsAsDescribed_data()
{
    QTest::addColumn<bool>("tax");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QSize>("gridSize");
    QTest::addColumn<QString>("firstRow");
    QTest::newRow("unit") << false << "単位リスト" << QStringList{"コード", "単位"} << QList<int>{51, 95}
                          << QSize(209, 393) << "1|個";
    QTest::newRow("tax") << true << "消費税設定" << QStringList{"適用年月日", "消費税率"}
                         << QList<int>{94, 95} << QSize(249, 393) << "1989/04/01|0.03";
}

void TestUnitTaxCompany::listWindowsAsDescribed()
{
    QFETCH(bool, tax);
    QFETCH(QString, caption);
    QFETCH(QStringList, titles);
    QFETCH(QList<int>, widths);
    QFETCH(QSize, gridSize);
    QFETCH(QString, firstRow);
    if (tax)
        open<TInputTaxForm>();
    else
        open<TInputUnitForm>();
    QCOMPARE(m_list->windowTitle(), caption);
    QVERIFY(m_list->width() >= 720 && m_list->height() >= 480);
    QCOMPARE(m_list->GridList->width(), gridSize.width());
    QVERIFY(m_list->GridList->height() >= gridSize.height());
    for (int c = 0; c < titles.size(); ++c) {
        QCOMPARE(m_list->GridList->datasetModel()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        if (c + 1 < titles.size())
            QCOMPARE(m_list->GridList->columnWidth(c), widths[c]);
        else
            QVERIFY(m_list->GridList->columnWidth(c) >= widths[c]);  // the last one stretches
    }
    // The shown texts: the rate through its own cell painter.
    QString shown = cell(0, 0).data().toString() + u'|';
    if (tax)
        shown += static_cast<TInputTaxForm*>(m_list)->RateDelegate->shownText(cell(0, 1));
    else
        shown += cell(0, 1).data().toString();
    QCOMPARE(shown, firstRow);
    QCOMPARE(actionNames(m_list), QStringList{"ActionClose:閉じる:F12"});
    QVERIFY(!m_list->enterAsTab());
    QVERIFY(!m_list->statusBar());

    // F12 closes.
    m_list->GridList->setFocus();
    pressKey(Qt::Key_F12);
    QVERIFY(!m_list->isVisible());
}

void TestUnitTaxCompany::unitRowsAreWrittenWhenLeft()
{
    auto* w = open<TInputUnitForm>();
    const QStringList before = rowsOf(m_db->path(), UnitsSql);
    w->GridList->setFocus();

    // A changed name is written when the cursor leaves the row, not before.
    pressKey(Qt::Key_Right);
    typeKeys("pc");
    pressKey(Qt::Key_Tab, Qt::ShiftModifier);  // into the row; the code cell opens
    pressKey(Qt::Key_Escape);
    QCOMPARE(w->UnitDataSet.state(), Dataset::State::Edit);
    QCOMPARE(rowsOf(m_db->path(), UnitsSql).value(0), QStringLiteral("1|個"));
    pressKey(Qt::Key_Down);
    QCOMPARE(w->UnitDataSet.state(), Dataset::State::Browse);
    QCOMPARE(rowsOf(m_db->path(), UnitsSql).value(0), QStringLiteral("1|pc"));

    // Moving below the last row appends one; it is written when left upwards.
    w->UnitDataSet.last();
    pressKey(Qt::Key_Down);
    QCOMPARE(w->UnitDataSet.state(), Dataset::State::Insert);
    typeKeys("20");
    pressKey(Qt::Key_Tab);
    typeKeys("dz");
    QCOMPARE(rowsOf(m_db->path(), UnitsSql).size(), before.size());
    pressKey(Qt::Key_Up);
    QCOMPARE(rowsOf(m_db->path(), UnitsSql).value(before.size()), QStringLiteral("20|dz"));

    // Insert puts a row before the current one; Enter posts it.
    w->GridList->setCurrentIndex(cell(0, 0));
    pressKey(Qt::Key_Insert);
    typeKeys("30");
    pressKey(Qt::Key_Tab);
    typeKeys("lb");
    pressKey(Qt::Key_Return);
    QVERIFY(rowsOf(m_db->path(), UnitsSql).contains(QStringLiteral("30|lb")));
    QVERIFY(w->GridList->hasFocus());  // Enter stayed in the grid

    // A new row left untouched is dropped when the focus leaves the grid.
    w->UnitDataSet.last();
    pressKey(Qt::Key_Down);
    QCOMPARE(w->UnitDataSet.count(), before.size() + 3);
    w->ButtonClose->setFocus(Qt::TabFocusReason);
    QCOMPARE(w->UnitDataSet.count(), before.size() + 2);
    QCOMPARE(rowsOf(m_db->path(), UnitsSql).size(), before.size() + 2);

    // Ctrl+Delete asks the grid's question; Yes deletes the row at once.
    w->GridList->setFocus();
    w->UnitDataSet.first();
    ModalDriver driver;
    driver.answer(QMessageBox::Yes);
    pressKey(Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(driver.finished());
    QCOMPARE(driver.boxes.value(0).text, DbEditGrid::DeleteQuestion);
    QVERIFY(!rowsOf(m_db->path(), UnitsSql).contains(QStringLiteral("1|pc")));
}

void TestUnitTaxCompany::unitNameKeepsToEightCharacters()
{
    // An item keeps its unit's name in eight characters: the cell takes no more,
    // typed or committed by an input method.
    auto* w = open<TInputUnitForm>();
    w->GridList->setFocus();
    pressKey(Qt::Key_Right);
    typeKeys("abcdefghijk");
    pressKey(Qt::Key_Return);
    QCOMPARE(rowsOf(m_db->path(), UnitsSql).value(0), QStringLiteral("1|abcdefgh"));
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_F2);
    QVERIFY(w->GridList->isCellEditing());
    QApplication::focusWidget()->setProperty("text", QString());
    typeCommitted(QApplication::focusWidget(), QStringLiteral("キログラムメートル"));
    pressKey(Qt::Key_Return);
    QCOMPARE(rowsOf(m_db->path(), UnitsSql).value(1), QStringLiteral("2|キログラムメート"));
}

void TestUnitTaxCompany::duplicateKeyKeepsTheRowEditable_data()
{
    QTest::addColumn<bool>("tax");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusedBecause");
    QTest::addColumn<QString>("correctedKey");
    QTest::addColumn<QString>("written");
    QTest::newRow("unit code") << false << "1"
                               << "dup"
                               << "このコードは既に登録されています。"
                               << "40"
                               << "40|dup";
    QTest::newRow("unit name") << false << "41"
                               << "m"
                               << "この単位は既に登録されています。"
                               << ""
                               << "";
    QTest::newRow("tax date") << true << "20191001"
                              << "0.2"
                              << "この適用年月日は既に登録されています。"
                              << "20260101"
                              << "2026-01-01|2000";
}

void TestUnitTaxCompany::duplicateKeyKeepsTheRowEditable()
{
    QFETCH(bool, tax);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, refusedBecause);
    QFETCH(QString, correctedKey);
    QFETCH(QString, written);
    if (tax)
        open<TInputTaxForm>();
    else
        open<TInputUnitForm>();
    const QString sql = tax ? RatesSql : UnitsSql;
    const QStringList before = rowsOf(m_db->path(), sql);
    Dataset& ds = *m_list->GridList->dataset();
    m_list->GridList->setFocus();
    ds.last();
    pressKey(Qt::Key_Down);
    typeKeys(key);
    pressKey(Qt::Key_Tab);
    typeKeys(value);

    // Enter: the database's refusal in the error box, in the grid's words (the
    // column's title), the row still being typed.
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressKey(Qt::Key_Return);
    QTRY_VERIFY(driver.finished());
    QCOMPARE(driver.boxes.value(0).icon, QMessageBox::Critical);
    QVERIFY2(driver.boxes.value(0).text.contains(refusedBecause), qPrintable(driver.boxes.value(0).text));
    QCOMPARE(ds.state(), Dataset::State::Insert);
    QCOMPARE(m_list->GridList->currentIndex().row(), before.size());
    QCOMPARE(rowsOf(m_db->path(), sql), before);

    // Leaving the row is refused the same way: the cursor stays on it.
    QVERIFY(showActive(m_list));
    m_list->GridList->setFocus();
    driver.answer(QMessageBox::Ok);
    pressKey(Qt::Key_Up);
    QTRY_VERIFY(driver.finished());
    QCOMPARE(ds.currentRow(), before.size());
    QCOMPARE(ds.state(), Dataset::State::Insert);
    QVERIFY(showActive(m_list));
    m_list->GridList->setFocus();

    if (correctedKey.isEmpty()) {
        // Escape gives the row up: nothing was written.
        pressKey(Qt::Key_Escape);
        pressKey(Qt::Key_Escape);
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(ds.count(), before.size());
        QCOMPARE(rowsOf(m_db->path(), sql), before);
        return;
    }
    // Corrected, the row is written when Enter posts it.
    m_list->GridList->setCurrentIndex(cell(before.size(), 0));
    typeKeys(correctedKey);
    pressKey(Qt::Key_Return);
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(rowsOf(m_db->path(), sql), QStringList(before) << written);
}

void TestUnitTaxCompany::rateThatIsNotANumberIsRefused()
{
    auto* w = open<TInputTaxForm>();
    const QStringList before = rowsOf(m_db->path(), RatesSql);
    w->GridList->setFocus();
    w->TaxDataSet.last();
    pressKey(Qt::Key_Down);
    typeKeys("20250401");
    pressKey(Qt::Key_Tab);
    typeKeys("abc");
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressKey(Qt::Key_Return);
    QTRY_VERIFY(driver.finished());
    QVERIFY2(driver.boxes.value(0).text.contains(QStringLiteral("abc")),
             qPrintable(driver.boxes.value(0).text));
    QCOMPARE(w->TaxDataSet.state(), Dataset::State::Insert);
    QCOMPARE(w->TaxDataSet.field("適用年月日").asDate(), QDate(2025, 4, 1));
    QVERIFY(w->TaxDataSet.field("消費税率").isNull());
    QCOMPARE(rowsOf(m_db->path(), RatesSql), before);

    QVERIFY(showActive(w));
    w->GridList->setFocus();
    w->GridList->setCurrentIndex(cell(4, 1));
    typeKeys("0.12");
    pressKey(Qt::Key_Return);
    QCOMPARE(w->TaxDataSet.state(), Dataset::State::Browse);
    QCOMPARE(rowsOf(m_db->path(), RatesSql).value(4), QStringLiteral("2025-04-01|1200"));
}

void TestUnitTaxCompany::rateShownAsAPlainFraction()
{
    m_db->exec("INSERT INTO m_税率 VALUES ('2030-01-01', 350), ('2031-01-01', 0), ('2032-01-01', NULL)");
    auto* w = open<TInputTaxForm>();
    QStringList shown;
    for (int r = 0; r < w->TaxDataSet.count(); ++r)
        shown << cell(r, 0).data().toString() + u' ' + w->RateDelegate->shownText(cell(r, 1));
    QCOMPARE(shown, QStringList({"1989/04/01 0.03", "1997/04/01 0.05", "2014/04/01 0.08", "2019/10/01 0.1",
                                 "2030/01/01 0.035", "2031/01/01 0", "2032/01/01 "}));
    QCOMPARE(w->GridList->itemDelegateForColumn(1), w->RateDelegate);
}

void TestUnitTaxCompany::closingTheTaxWindowWhileTyping_data()
{
    QTest::addColumn<bool>("newRow");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<bool>("cellOpen");
    // Destroyed while still shown, as when the program ends under the window.
    QTest::addColumn<bool>("destroyedOpen");
    QTest::newRow("new row, rate cell open") << true << "0.2" << true << false;
    QTest::newRow("new row, rate written into the row") << true << "0.2" << false << false;
    QTest::newRow("new row, rate that is no number") << true << "abc" << true << false;
    QTest::newRow("changed row") << false << "0.3" << false << false;
    QTest::newRow("changed row, cell open") << false << "0.3" << true << false;
    QTest::newRow("destroyed with a cell open") << true << "0.2" << true << true;
    QTest::newRow("destroyed with text that is no number") << false << "abc" << true << true;
}

void TestUnitTaxCompany::closingTheTaxWindowWhileTyping()
{
    QFETCH(bool, newRow);
    QFETCH(QString, rate);
    QFETCH(bool, cellOpen);
    QFETCH(bool, destroyedOpen);
    auto* w = open<TInputTaxForm>();
    const QStringList before = rowsOf(m_db->path(), RatesSql);
    w->GridList->setFocus();
    if (newRow) {
        w->TaxDataSet.last();
        pressKey(Qt::Key_Down);
        typeKeys("20300101");
        pressKey(Qt::Key_Tab);
    } else {
        w->GridList->setCurrentIndex(cell(1, 1));
    }
    typeKeys(rate);
    if (!cellOpen) {
        // Back to the row's first cell, which opens; Escape closes it only.
        pressKey(Qt::Key_Tab, Qt::ShiftModifier);
        pressKey(Qt::Key_Escape);
        QVERIFY(w->TaxDataSet.isEditing());
        QVERIFY(!w->GridList->isCellEditing());
    } else {
        QVERIFY(w->GridList->isCellEditing());
    }

    // F12: no question, no message, nothing written.
    ModalDriver driver;
    driver.answer(QMessageBox::NoButton);
    if (destroyedOpen) {
        m_window.reset();
    } else {
        pressKey(Qt::Key_F12);
        QVERIFY(!w->isVisible());
    }
    QTest::qWait(100);
    QCOMPARE(driver.seen, QStringList());
    m_window.reset();
    QCOMPARE(rowsOf(m_db->path(), RatesSql), before);
}

void TestUnitTaxCompany::rateInForceOnTypedRows_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("rate");
    QTest::newRow("before the first row") << QDate(1999, 12, 31) << "0";
    QTest::newRow("the first row's own day") << QDate(2000, 1, 1) << "0.05";
    QTest::newRow("the day before the second row") << QDate(2010, 6, 30) << "0.05";
    QTest::newRow("the second row's own day") << QDate(2010, 7, 1) << "0.08";
    QTest::newRow("long after") << QDate(2099, 12, 31) << "0.08";
}

void TestUnitTaxCompany::rateInForceOnTypedRows()
{
    // The rows as the tax window writes them are the rows the slips find.
    QFETCH(QDate, date);
    QFETCH(QString, rate);
    m_db->exec("DELETE FROM m_税率");
    auto* w = open<TInputTaxForm>();
    w->GridList->setFocus();
    // Typed as a user does: the date, Tab, the rate, Tab past the row's last
    // cell writes it and opens the next row.
    typeKeys("20100701");
    pressKey(Qt::Key_Tab);
    typeKeys("0.08");
    pressKey(Qt::Key_Tab);
    QCOMPARE(rowsOf(m_db->path(), RatesSql), QStringList{"2010-07-01|800"});
    typeKeys("20000101");
    pressKey(Qt::Key_Tab);
    typeKeys("0.05");
    pressKey(Qt::Key_Return);
    QCOMPARE(w->TaxDataSet.state(), Dataset::State::Browse);
    QCOMPARE(rowsOf(m_db->path(), RatesSql), QStringList({"2000-01-01|500", "2010-07-01|800"}));
    m_window.reset();
    Connection c(m_db->path());
    QCOMPARE(LineTax::rateInForce(c, date), Money::parse(rate));
}

// -- company information ----------------------------------------------------------------------

QString TestUnitTaxCompany::picturePath(const QString& name, const QImage& image) const
{
    const QString path = m_files->filePath(name);
    image.save(path);
    return path;
}

void TestUnitTaxCompany::setLogo(const QByteArray& png) const
{
    Connection c(m_db->path());
    Statement st(c, "UPDATE m_自社情報 SET 会社ロゴ = ?");
    st.bind(1, png.isNull() ? QVariant() : QVariant(png));
    st.run();
}

QByteArray TestUnitTaxCompany::storedLogo() const
{
    Connection c(m_db->path());
    Statement st(c, "SELECT 会社ロゴ FROM m_自社情報");
    return st.step() ? st.value(0).toByteArray() : QByteArray();
}

TInputCompanyForm* TestUnitTaxCompany::openCompany(const QString& picture)
{
    auto* w = open<TInputCompanyForm>();
    w->setPictureChooser([picture](QWidget*) { return picture; });
    w->EditCompanyName->setFocus();
    w->idleRefresh();
    return w;
}

void TestUnitTaxCompany::companyWindowAsDescribed()
{
    auto* w = openCompany();
    QCOMPARE(w->windowTitle(), QStringLiteral("会社情報"));
    QVERIFY(w->width() >= 720 && w->height() >= 480);
    QCOMPARE(actionNames(w),
             QStringList({"ActionCancel:編集取消:F10", "ActionPost:登録:F11", "ActionClose:閉じる:F12"}));
    QVERIFY(w->enterAsTab());
    QCOMPARE(w->ImageLogo->size(), QSize(128, 64));
    QCOMPARE(w->ImageLogo->focusPolicy(), Qt::NoFocus);
    QCOMPARE(w->ButtonRef->text(), QStringLiteral("参照..."));

    // Enter moves through the fields in their order, then to "参照...".
    const QList<QWidget*> order = {w->EditCompanyName, w->EditPresident,   w->EditPostalCode,
                                   w->EditAddress,     w->EditPhone,       w->EditFax,
                                   w->EditMail,        w->EditBankAccount, w->ButtonRef};
    for (int i = 1; i < order.size(); ++i) {
        pressKey(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
    QVERIFY(!w->isEditing());
    QCOMPARE(w->CompanyDataSet.state(), Dataset::State::Browse);
}

void TestUnitTaxCompany::companyFieldsSaveAndCancel()
{
    auto* w = openCompany();
    QVERIFY(!w->ActionPost->isEnabled());
    QVERIFY(!w->ActionCancel->isEnabled());
    QCOMPARE(w->statusText(), QString());

    // The first keystroke starts editing.
    typeKeys("Corvinta");
    w->idleRefresh();
    QVERIFY(w->isEditing());
    QCOMPARE(w->statusText(), FunctionWindow::EditingText);
    QVERIFY(w->ActionPost->isEnabled());
    QVERIFY(w->ActionCancel->isEnabled());
    pressKey(Qt::Key_Return);
    typeCommitted(w->EditPresident, QStringLiteral("山田太郎"));
    pressKey(Qt::Key_Return);
    typeKeys("0123456");
    pressKey(Qt::Key_Return);
    for (const char* text : {"Tokyo", "03-1234-5678", "03-1234-5679", "info@example.jp", "Bank 1234567"}) {
        typeKeys(QString::fromLatin1(text));
        pressKey(Qt::Key_Return);
    }
    pressKey(Qt::Key_F11);
    w->idleRefresh();
    QVERIFY(!w->isEditing());
    QCOMPARE(w->statusText(), QString());
    QVERIFY(!w->ActionPost->isEnabled());
    QCOMPARE(w->CompanyDataSet.state(), Dataset::State::Browse);
    const QStringList saved = {
        "1|Corvinta|山田太郎|123456|Tokyo|03-1234-5678|03-1234-5679|info@example.jp|Bank 1234567"};
    QCOMPARE(rowsOf(m_db->path(), CompanySql), saved);
    QCOMPARE(w->EditPostalCode->text(), QStringLiteral("0123456"));  // the leading zero shown

    // Changes dropped with "編集取消", also one still being typed.
    w->EditAddress->setFocus();
    typeKeys("x");
    pressKey(Qt::Key_Return);
    typeKeys("y");
    w->idleRefresh();
    pressKey(Qt::Key_F10);
    w->idleRefresh();
    QVERIFY(!w->isEditing());
    QCOMPARE(w->statusText(), QString());
    QCOMPARE(w->EditAddress->text(), QStringLiteral("Tokyo"));
    QCOMPARE(w->EditPhone->text(), QStringLiteral("03-1234-5678"));
    QCOMPARE(rowsOf(m_db->path(), CompanySql), saved);

    // Save through the button, and the window reopened shows what was saved.
    w->EditCompanyName->setFocus();
    QTest::keyClick(w->EditCompanyName, Qt::Key_End);
    typeKeys("!");
    w->idleRefresh();
    QTest::mouseClick(w->findChild<QPushButton*>("ButtonPost"), Qt::LeftButton);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 会社名 FROM m_自社情報"), QStringList{"Corvinta!"});
    w = openCompany();
    QCOMPARE(w->EditCompanyName->text(), QStringLiteral("Corvinta!"));
    QCOMPARE(w->EditPresident->text(), QStringLiteral("山田太郎"));
}

void TestUnitTaxCompany::postalCodeOfMoreThanSevenDigits()
{
    auto* w = openCompany();
    w->EditPostalCode->setFocus();
    typeKeys("12345678");
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    pressKey(Qt::Key_Tab);
    QTRY_VERIFY(driver.finished());
    QVERIFY2(driver.boxes.value(0).text.contains(QStringLiteral("12345678")),
             qPrintable(driver.boxes.value(0).text));
    QVERIFY(showActive(w));
    QTRY_COMPARE(QApplication::focusWidget(), w->EditPostalCode);
    QCOMPARE(w->EditPostalCode->text(), QString());
    QVERIFY(w->CompanyDataSet.field("郵便番号").isNull());

    // F11 with the wrong number still typed: refused the same way, nothing written.
    typeKeys("99999999");
    w->idleRefresh();
    driver.answer(QMessageBox::Ok);
    pressKey(Qt::Key_F11);
    QTRY_VERIFY(driver.finished());
    QVERIFY(showActive(w));
    QTRY_COMPARE(QApplication::focusWidget(), w->EditPostalCode);
    w->idleRefresh();
    QVERIFY(w->isEditing());
    QCOMPARE(rowsOf(m_db->path(), "SELECT 郵便番号 FROM m_自社情報"), QStringList{"-"});

    // Corrected, it is saved.
    typeKeys("9999999");
    pressKey(Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 郵便番号 FROM m_自社情報"), QStringList{"9999999"});
}

void TestUnitTaxCompany::logoChangeEnablesSaveAndCancelRestores()
{
    const QByteArray red = pngOf(filled({40, 20}, Qt::red));
    setLogo(red);
    auto* w = openCompany(picturePath("blue.png", filled({10, 10}, Qt::blue)));
    QVERIFY(near(w->ImageLogo->shownImage().pixelColor(5, 5), Qt::red));

    QTest::mouseClick(w->ButtonRef, Qt::LeftButton);
    w->idleRefresh();
    QVERIFY(w->isEditing());
    QCOMPARE(w->statusText(), FunctionWindow::EditingText);
    QVERIFY(w->ActionPost->isEnabled());
    QVERIFY(w->ActionCancel->isEnabled());
    const QImage chosen = imageOf(w->CompanyDataSet.field("会社ロゴ").asBytes());
    QCOMPARE(chosen.size(), QSize(40, 20));  // the logo keeps its size
    QVERIFY(near(chosen.pixelColor(39, 19), Qt::blue));
    QVERIFY(near(w->ImageLogo->shownImage().pixelColor(5, 5), Qt::blue));
    QCOMPARE(storedLogo(), red);

    // "編集取消" puts the old logo back.
    pressKey(Qt::Key_F10);
    w->idleRefresh();
    QVERIFY(!w->isEditing());
    QVERIFY(!w->ActionPost->isEnabled());
    QCOMPARE(w->CompanyDataSet.field("会社ロゴ").asBytes(), red);
    QVERIFY(near(w->ImageLogo->shownImage().pixelColor(5, 5), Qt::red));
    QCOMPARE(storedLogo(), red);

    // A click on the picture asks as well; "登録" writes the new logo.
    QTest::mouseClick(w->ImageLogo, Qt::LeftButton);
    w->idleRefresh();
    QVERIFY(w->isEditing());
    pressKey(Qt::Key_F11);
    const QImage stored = imageOf(storedLogo());
    QCOMPARE(stored.size(), QSize(40, 20));
    QVERIFY(near(stored.pixelColor(0, 0), Qt::blue));
    w->idleRefresh();
    QVERIFY(!w->isEditing());
}

void TestUnitTaxCompany::logoDrawnIntoTheLogosSize_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QSize>("size");
    QTest::newRow("no logo yet: a white one") << QByteArray() << CompanyLogo::DefaultSize;
    QTest::newRow("a wide logo") << pngOf(filled({300, 60}, Qt::red)) << QSize(300, 60);
    QTest::newRow("a one-pixel logo") << pngOf(filled({1, 1}, Qt::red)) << QSize(1, 1);
    QTest::newRow("stored bytes that are no picture")
        << QByteArray("not a picture") << CompanyLogo::DefaultSize;
}

void TestUnitTaxCompany::logoDrawnIntoTheLogosSize()
{
    // The picture: green on its left half, transparent on its right half.
    QFETCH(QByteArray, old);
    QFETCH(QSize, size);
    setLogo(old);
    QImage picture = filled({20, 10}, Qt::transparent);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            picture.setPixelColor(x, y, Qt::green);
    auto* w = openCompany(picturePath("half.png", picture));
    QTest::mouseClick(w->ButtonRef, Qt::LeftButton);
    w->idleRefresh();
    pressKey(Qt::Key_F11);
    const QImage logo = imageOf(storedLogo());
    QCOMPARE(logo.size(), size);
    if (size.width() == 1)
        return;  // the whole picture in one pixel
    QVERIFY(near(logo.pixelColor(0, 0), Qt::green));
    // What the picture leaves transparent is white, not the old logo.
    QVERIFY(near(logo.pixelColor(size.width() - 1, size.height() - 1), Qt::white));
}

void TestUnitTaxCompany::unreadablePictureLeavesTheLogo_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text named .png") << "broken.png" << QByteArray("this is no picture");
    QTest::newRow("truncated PNG") << "cut.png" << pngOf(filled({50, 50}, Qt::blue)).left(40);
    QTest::newRow("missing file") << "missing.bmp" << QByteArray();
}

void TestUnitTaxCompany::unreadablePictureLeavesTheLogo()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    const QString path = m_files->filePath(file);
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const QByteArray red = pngOf(filled({40, 20}, Qt::red));
    setLogo(red);
    auto* w = openCompany(path);
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    QTest::mouseClick(w->ButtonRef, Qt::LeftButton);
    QTRY_VERIFY(driver.finished());
    QCOMPARE(driver.boxes.value(0).icon, QMessageBox::Critical);
    QVERIFY2(driver.boxes.value(0).text.contains(file), qPrintable(driver.boxes.value(0).text));
    QCOMPARE(w->CompanyDataSet.field("会社ロゴ").asBytes(), red);
    QVERIFY(near(w->ImageLogo->shownImage().pixelColor(5, 5), Qt::red));
    // The user asked for a new logo: the row is in editing, to be cancelled or saved.
    w->idleRefresh();
    QVERIFY(w->isEditing());
    QVERIFY(showActive(w));
    w->EditCompanyName->setFocus();
    pressKey(Qt::Key_F11);
    QCOMPARE(storedLogo(), red);
}

void TestUnitTaxCompany::cancelledFileDialogChangesNothing()
{
    auto* w = openCompany(QString());
    QTest::mouseClick(w->ButtonRef, Qt::LeftButton);
    w->idleRefresh();
    QVERIFY(!w->isEditing());
    QCOMPARE(w->CompanyDataSet.state(), Dataset::State::Browse);
    QVERIFY(w->CompanyDataSet.field("会社ロゴ").isNull());
}

void TestUnitTaxCompany::emptyCompanyTableStartsARow()
{
    m_db->exec("DELETE FROM m_自社情報");
    auto* w = openCompany(picturePath("blue.png", filled({10, 10}, Qt::blue)));
    QCOMPARE(w->CompanyDataSet.state(), Dataset::State::Insert);
    QVERIFY(w->isEditing());
    QCOMPARE(w->statusText(), FunctionWindow::EditingText);
    typeKeys("Corvinta");
    pressKey(Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 自社ID, 会社名 FROM m_自社情報"), QStringList{"1|Corvinta"});

    // Cancelled, the next change starts the row again; a logo drawn into it has the default size.
    m_db->exec("DELETE FROM m_自社情報");
    w = openCompany(picturePath("blue.png", filled({10, 10}, Qt::blue)));
    pressKey(Qt::Key_F10);
    w->idleRefresh();
    QVERIFY(!w->isEditing());
    QCOMPARE(w->CompanyDataSet.count(), 0);
    QTest::mouseClick(w->ButtonRef, Qt::LeftButton);
    w->idleRefresh();
    QVERIFY(w->isEditing());
    pressKey(Qt::Key_F11);
    QCOMPARE(rowsOf(m_db->path(), "SELECT 自社ID, 会社名 FROM m_自社情報"), QStringList{"1|-"});
    QCOMPARE(imageOf(storedLogo()).size(), CompanyLogo::DefaultSize);
}

QTEST_MAIN(TestUnitTaxCompany)
#include "tst_unittaxcompany.moc"
