#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "boxanswer.h"
#include "dataset.h"
#include "dbgrid.h"
#include "findcustomerdlg.h"
#include "findemployeedlg.h"
#include "finditemcategodlg.h"
#include "finditemdlg.h"
#include "findsupplierdlg.h"
#include "modaldriver.h"
#include "testdb.h"
#include "widgettesthelp.h"

namespace {

// The codes the result holds, in its order.
QStringList resultCodes(const MasterFindDlg& dlg, const QString& codeColumn)
{
    QStringList codes;
    const Dataset& ds = *dlg.ResultDataSet;
    for (int row = 0; ds.isOpen() && row < ds.count(); ++row)
        codes << ds.fieldAt(row, codeColumn).asText();
    return codes;
}

const char* const Items =
    "INSERT INTO m_商品分類 (商品分類コード, 分類名) VALUES ('01', '果物'), ('02', '野菜');"
    "INSERT INTO m_商品 (商品コード, 商品名, 商品名カナ, 商品分類コード) VALUES"
    " ('A001', 'りんご', 'リンゴ', '01'),"
    " ('A002', NULL, 'ミカン', '01'),"
    " ('B001', 'にんじん', NULL, '02'),"
    " ('B002', 'It''s', 'イッツ', '02'),"
    " ('C9', '50%引き', 'ワリビキ', NULL),"
    " ('x_y', '下線', 'カセン', NULL)";

const char* const Partners =
    "INSERT INTO m_%1 (%1コード, %1名, %1名カナ, 電話番号) VALUES"
    " ('K01', '山田商店', 'ヤマダ', '03-1111'),"
    " ('K02', NULL, 'スズキ', '03-2222'),"
    " ('K03', '佐藤''s', NULL, NULL),"
    " ('L10', '田中商事', 'タナカ', '06-3333')";

}  // namespace

class TestLookupDialogs : public QObject {
    Q_OBJECT

private slots:
    void itemSearch_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kana");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("expected");

        const QStringList all{"A001", "A002", "B001", "B002", "C9", "x_y"};
        QTest::newRow("empty fields list everything") << ""
                                                      << ""
                                                      << ""
                                                      << "" << all;
        QTest::newRow("code contains") << "00"
                                       << ""
                                       << ""
                                       << "" << QStringList{"A001", "A002", "B001", "B002"};
        QTest::newRow("code letters ignore case") << "a0"
                                                  << ""
                                                  << ""
                                                  << "" << QStringList{"A001", "A002"};
        QTest::newRow("name matches or is null") << ""
                                                 << "りん"
                                                 << ""
                                                 << "" << QStringList{"A001", "A002"};
        QTest::newRow("kana matches or is null") << ""
                                                 << ""
                                                 << "ミカ"
                                                 << "" << QStringList{"A002", "B001"};
        QTest::newRow("category filter") << ""
                                         << ""
                                         << ""
                                         << "02" << QStringList{"B001", "B002"};
        QTest::newRow("category with name") << ""
                                            << "りんご"
                                            << ""
                                            << "01" << QStringList{"A001", "A002"};
        QTest::newRow("quote searches a quote") << ""
                                                << "'s"
                                                << ""
                                                << "" << QStringList{"A002", "B002"};
        QTest::newRow("quote in the code") << "'"
                                           << ""
                                           << ""
                                           << "" << QStringList{};
        QTest::newRow("percent is a wildcard") << ""
                                               << "%引"
                                               << ""
                                               << "" << QStringList{"A002", "C9"};
        QTest::newRow("underscore is a wildcard") << "A_0"
                                                  << ""
                                                  << ""
                                                  << "" << QStringList{"A001", "A002"};
        QTest::newRow("underscore matches itself too") << "x_"
                                                       << ""
                                                       << ""
                                                       << "" << QStringList{"x_y"};
        QTest::newRow("nothing found") << "ZZ"
                                       << ""
                                       << ""
                                       << "" << QStringList{};
    }

    void itemSearch()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, kana);
        QFETCH(QString, category);
        QFETCH(QStringList, expected);

        TestDb db;
        db.exec(Items);
        TFindItemDlg dlg(nullptr);
        QVERIFY(showActive(&dlg));
        QCOMPARE(dlg.ComboCategory->currentText(), QString());
        dlg.EditCode->setText(code);
        dlg.EditName->setText(name);
        dlg.EditKana->setText(kana);
        if (!category.isEmpty()) {
            const int at = dlg.ComboCategory->findData(category);
            QVERIFY(at > 0);
            dlg.ComboCategory->setCurrentIndex(at);
        }
        QTest::mouseClick(dlg.ButtonFind, Qt::LeftButton);
        QVERIFY(dlg.ResultDataSet->isOpen());
        QStringList found = resultCodes(dlg, "商品コード");
        found.sort();
        QCOMPARE(found, expected);
        dlg.idleRefresh();
        QCOMPARE(dlg.ButtonOK->isEnabled(), !expected.isEmpty());
    }

    void itemCategoryPickerListsCodeAndName()
    {
        TestDb db;
        db.exec(Items);
        TFindItemDlg dlg(nullptr);
        QCOMPARE(dlg.windowTitle(), QString("商品検索"));
        QCOMPARE(dlg.ComboCategory->count(), 3);
        QCOMPARE(dlg.ComboCategory->itemText(1), QString("01 果物"));
        QCOMPARE(dlg.ComboCategory->itemText(2), QString("02 野菜"));
        QCOMPARE(dlg.GridResult->model()->headerData(2, Qt::Horizontal).toString(), QString("商品名カナ"));
    }

    void partnerSearch_data()
    {
        QTest::addColumn<bool>("supplier");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kana");
        QTest::addColumn<QString>("tel");
        QTest::addColumn<QStringList>("expected");

        for (const bool supplier : {false, true}) {
            const QByteArray who = supplier ? "supplier: " : "customer: ";
            QTest::newRow(who + "empty fields list everything")
                << supplier << ""
                << ""
                << ""
                << "" << QStringList{"K01", "K02", "K03", "L10"};
            QTest::newRow(who + "code contains") << supplier << "K0"
                                                 << ""
                                                 << ""
                                                 << "" << QStringList{"K01", "K02", "K03"};
            QTest::newRow(who + "name matches or is null") << supplier << ""
                                                           << "商"
                                                           << ""
                                                           << "" << QStringList{"K01", "K02", "L10"};
            QTest::newRow(who + "kana matches or is null") << supplier << ""
                                                           << ""
                                                           << "ヤマ"
                                                           << "" << QStringList{"K01", "K03"};
            QTest::newRow(who + "tel matches or is null") << supplier << ""
                                                          << ""
                                                          << ""
                                                          << "06" << QStringList{"K03", "L10"};
            QTest::newRow(who + "all four") << supplier << "1"
                                            << "田"
                                            << "タ"
                                            << "06" << QStringList{"L10"};
            QTest::newRow(who + "quote") << supplier << ""
                                         << "'s"
                                         << ""
                                         << "" << QStringList{"K02", "K03"};
            QTest::newRow(who + "underscore wildcard") << supplier << "K_1"
                                                       << ""
                                                       << ""
                                                       << "" << QStringList{"K01"};
            QTest::newRow(who + "nothing found") << supplier << "Z"
                                                 << ""
                                                 << ""
                                                 << "" << QStringList{};
        }
    }

    void partnerSearch()
    {
        QFETCH(bool, supplier);
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, kana);
        QFETCH(QString, tel);
        QFETCH(QStringList, expected);

        TestDb db;
        db.exec(QString::fromUtf8(Partners).arg(supplier ? "仕入先" : "顧客"));
        std::unique_ptr<PartnerFindDlg> dlg;
        if (supplier)
            dlg = std::make_unique<TFindSupplierDlg>(nullptr);
        else
            dlg = std::make_unique<TFindCustomerDlg>(nullptr);
        QCOMPARE(dlg->windowTitle(), QString(supplier ? "仕入先検索" : "顧客検索"));
        QVERIFY(showActive(dlg.get()));
        dlg->EditCode->setText(code);
        dlg->EditName->setText(name);
        dlg->EditKana->setText(kana);
        dlg->EditTel->setText(tel);
        QTest::mouseClick(dlg->ButtonFind, Qt::LeftButton);
        QStringList found = resultCodes(*dlg, supplier ? "仕入先コード" : "顧客コード");
        found.sort();
        QCOMPARE(found, expected);
        dlg->idleRefresh();
        QCOMPARE(dlg->ButtonOK->isEnabled(), !expected.isEmpty());
    }

    // The keyboard road: Enter moves through the fields to "検索" and presses it.
    void enterMovesToTheSearchButton()
    {
        TestDb db;
        db.exec(QString::fromUtf8(Partners).arg("顧客"));
        TFindCustomerDlg dlg(nullptr);
        QVERIFY(showActive(&dlg));
        QCOMPARE(QApplication::focusWidget(), dlg.EditCode);
        QTest::keyClicks(dlg.EditCode, "L");
        for (int i = 0; i < 4; ++i)
            pressKey(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), dlg.ButtonFind);
        QVERIFY(!dlg.ResultDataSet->isOpen());
        pressKey(Qt::Key_Return);
        QCOMPARE(resultCodes(dlg, "顧客コード"), QStringList{"L10"});
    }

    void listDialogsShowEverythingInCodeOrder_data()
    {
        QTest::addColumn<bool>("staff");
        QTest::newRow("item categories") << false;
        QTest::newRow("staff") << true;
    }

    void listDialogsShowEverythingInCodeOrder()
    {
        QFETCH(bool, staff);
        TestDb db;
        if (staff)
            db.exec("INSERT INTO m_担当者 VALUES ('20', '鈴木'), ('03', NULL), ('10', '佐藤')");
        else
            db.exec(
                "INSERT INTO m_商品分類 (商品分類コード, 分類名) VALUES ('20', 'B'), ('03', NULL), ('10', "
                "'A')");
        std::unique_ptr<MasterFindDlg> dlg;
        if (staff)
            dlg = std::make_unique<TFindEmployeeDlg>(nullptr);
        else
            dlg = std::make_unique<TFindItemCategoDlg>(nullptr);
        QCOMPARE(dlg->windowTitle(), QString(staff ? "担当者検索" : "商品分類検索"));
        QCOMPARE(resultCodes(*dlg, staff ? "担当者コード" : "商品分類コード"),
                 QStringList({"03", "10", "20"}));
        QCOMPARE(dlg->GridResult->model()->headerData(1, Qt::Horizontal).toString(),
                 QString(staff ? "担当者名" : "分類名"));
        dlg->idleRefresh();
        QVERIFY(dlg->ButtonOK->isEnabled());
    }

    void okDisabledOnEmptyOrUnopenedResult()
    {
        TestDb db;
        {
            // An empty table: the list dialog opens on no rows.
            TFindEmployeeDlg staff(nullptr);
            staff.idleRefresh();
            QVERIFY(staff.ResultDataSet->isOpen());
            QVERIFY(!staff.ButtonOK->isEnabled());
        }
        db.exec(Items);
        TFindItemDlg dlg(nullptr);
        QVERIFY(showActive(&dlg));
        dlg.idleRefresh();
        QVERIFY(!dlg.ResultDataSet->isOpen());
        QVERIFY(!dlg.ButtonOK->isEnabled());
        // Double-clicking or confirming with nothing found does nothing.
        dlg.GridResultDblClick();
        dlg.ButtonOKClick();
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.SelectedCode(), QString());

        dlg.EditCode->setText("A");
        QTest::mouseClick(dlg.ButtonFind, Qt::LeftButton);
        dlg.idleRefresh();
        QVERIFY(dlg.ButtonOK->isEnabled());
        dlg.EditCode->setText("nothing");
        QTest::mouseClick(dlg.ButtonFind, Qt::LeftButton);
        dlg.idleRefresh();
        QVERIFY(!dlg.ButtonOK->isEnabled());
        QTest::mouseDClick(dlg.GridResult->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.SelectedCode(), QString());
    }

    // A search that fails reports the engine's message and leaves no result.
    void failedSearchLeavesTheResultClosed()
    {
        TestDb db;
        db.exec(Items);
        TFindItemDlg dlg(nullptr);
        QVERIFY(showActive(&dlg));
        QTest::mouseClick(dlg.ButtonFind, Qt::LeftButton);
        QVERIFY(dlg.ResultDataSet->isOpen());
        db.exec("ALTER TABLE m_商品 RENAME TO m_商品_old");
        auto box = answerNextBox(QMessageBox::Ok);
        QTest::mouseClick(dlg.ButtonFind, Qt::LeftButton);
        QTRY_VERIFY(box->seen);
        QCOMPARE(box->icon, QMessageBox::Critical);
        QVERIFY2(box->text.contains("m_商品"), qPrintable(box->text));
        QVERIFY(!dlg.ResultDataSet->isOpen());
        dlg.idleRefresh();
        QVERIFY(!dlg.ButtonOK->isEnabled());
    }

    // OK, double-click, Cancel and Escape, each through the dialog's own loop.
    void closingTheDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("selected");
        QTest::newRow("OK takes the current row") << "ok" << int(QDialog::Accepted) << "K02";
        QTest::newRow("double-click takes that row") << "double-click" << int(QDialog::Accepted) << "K03";
        QTest::newRow("Enter in the grid takes the row") << "enter" << int(QDialog::Accepted) << "K02";
        QTest::newRow("keypad Enter alike") << "keypad enter" << int(QDialog::Accepted) << "K02";
        QTest::newRow("キャンセル") << "cancel" << int(QDialog::Rejected) << "";
        QTest::newRow("Escape") << "escape" << int(QDialog::Rejected) << "";
    }

    void closingTheDialog()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        QFETCH(QString, selected);

        TestDb db;
        db.exec(QString::fromUtf8(Partners).arg("顧客"));
        TFindCustomerDlg dlg(nullptr);
        ModalDriver driver;
        driver.then([&](QWidget*) {
            QTest::mouseClick(dlg.ButtonFind, Qt::LeftButton);
            dlg.GridResult->setFocus();
            QTest::keyClick(dlg.GridResult, Qt::Key_Down);  // the second row, K02
            dlg.idleRefresh();
            if (how == "ok") {
                QTest::mouseClick(dlg.ButtonOK, Qt::LeftButton);
            } else if (how == "double-click") {
                const QRect cell = dlg.GridResult->visualRect(dlg.GridResult->model()->index(2, 1));
                QTest::mouseDClick(dlg.GridResult->viewport(), Qt::LeftButton, {}, cell.center());
            } else if (how == "enter") {
                QTest::keyClick(dlg.GridResult, Qt::Key_Return);
            } else if (how == "keypad enter") {
                QTest::keyClick(dlg.GridResult, Qt::Key_Enter, Qt::KeypadModifier);
            } else if (how == "cancel") {
                QTest::mouseClick(dlg.ButtonCancel, Qt::LeftButton);
            } else {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            }
        });
        QCOMPARE(dlg.exec(), result);
        QVERIFY(driver.finished());
        QCOMPARE(dlg.SelectedCode(), selected);
    }
};

QTEST_MAIN(TestLookupDialogs)
#include "tst_lookupdialogs.moc"
