#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "qttranslation.h"

// Qt's own dialogs speak Japanese once the translation is installed.
class TestQtTranslation : public QObject {
    Q_OBJECT

private slots:
    void qtDialogsSpeakJapanese()
    {
        QVERIFY(installQtTranslation());
        QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QString("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QString("いいえ(&N)"));
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("キャンセル"));
        // The file dialog and the print preview.
        for (const auto& [context, text] :
             {std::pair{"QFileDialog", "&Open"}, std::pair{"QFileDialog", "Look in:"},
              std::pair{"QPrintPreviewDialog", "Print Preview"}})
            QVERIFY2(QCoreApplication::translate(context, text) != QLatin1String(text), text);
    }
};

int runQtTranslationTests(int argc, char** argv)
{
    TestQtTranslation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qttranslation.moc"
