#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "aboutcorvintadlg.h"
#include "mainform.h"
#include "modaldriver.h"

namespace {

// Stands in for the desktop shell: records what it was asked to open.
class ShellProbe : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

}  // namespace

class TestAboutDialog : public QObject {
    Q_OBJECT

private slots:
    void layout()
    {
        TAboutCorvintaDlg dlg(nullptr);
        QCOMPARE(dlg.windowTitle(), QString("バージョン情報"));
        QCOMPARE(dlg.size(), QSize(312, 286));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QCOMPARE(dlg.findChild<QWidget*>("TitleBand")->height(), 73);
        QCOMPARE(dlg.findChild<QWidget*>("Stripe")->height(), 5);
        auto* product = dlg.findChild<QLabel*>("LabelProduct");
        QCOMPARE(product->text(), QString("Corvinta"));
        QVERIFY(product->font().bold());
        QCOMPARE(dlg.findChild<QLabel*>("LabelVersion")->text(), QString("Ver0.80"));
        QStringList captions;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            captions << l->text();
        QVERIFY(captions.contains("ホームページ："));
        QVERIFY(captions.contains("E-Mail："));
        QVERIFY(dlg.ButtonOK->isDefault());
        QCOMPARE(dlg.ButtonOK->text(), QString("OK"));
    }

    // Both links go to the desktop shell through the one handler; the dialog
    // stays open.
    void linksOpenThroughTheShell()
    {
        ShellProbe shell;
        QDesktopServices::setUrlHandler("https", &shell, "open");
        QDesktopServices::setUrlHandler("mailto", &shell, "open");
        TAboutCorvintaDlg dlg(nullptr);
        dlg.show();
        for (QLabel* link : {dlg.LabelHomePage, dlg.LabelMail}) {
            const QString text = link->text();
            const QString href = text.section('"', 1, 1);
            emit link->linkActivated(href);
        }
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(shell.opened, QList<QUrl>({QUrl(TAboutCorvintaDlg::HomePage),
                                            QUrl("mailto:" + TAboutCorvintaDlg::MailAddress)}));
        QVERIFY(dlg.isVisible());
    }

    void openedFromTheHelpMenuAndReleased()
    {
        WindowRegistry none;
        TMainForm form(none);
        form.show();
        QPointer<QWidget> about;
        bool ownedByMain = false;
        ModalDriver driver;
        driver.then([&](QWidget* modal) {
            about = modal;
            ownedByMain = qobject_cast<TAboutCorvintaDlg*>(modal) && modal->parentWidget() == &form;
            static_cast<TAboutCorvintaDlg*>(modal)->ButtonOK->click();
        });
        form.mnuHelpAbout->trigger();
        QVERIFY(driver.finished());
        QVERIFY(ownedByMain);
        QVERIFY(about.isNull());
    }
};

#include "tst_aboutdialog.moc"

int runAboutDialogTests(int argc, char** argv)
{
    TestAboutDialog t;
    return QTest::qExec(&t, argc, argv);
}
