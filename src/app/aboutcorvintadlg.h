#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "バージョン情報": product name and version on a gradient band, and the two
// links, which the desktop shell opens.
class TAboutCorvintaDlg : public QDialog {
    Q_OBJECT

public:
    explicit TAboutCorvintaDlg(QWidget* owner);

    inline static const QString HomePage = QStringLiteral("https://corvinta.example.jp/");
    inline static const QString MailAddress = QStringLiteral("support@corvinta.example.jp");
    inline static const QString Version = QStringLiteral("Ver0.80");

    QLabel* LabelHomePage = nullptr;  // the web address, a link
    QLabel* LabelMail = nullptr;      // the mail address, a "mailto:" link
    QPushButton* ButtonOK = nullptr;

    // The one handler of both links: hands the target to the desktop shell. The
    // dialog stays open whatever the shell does.
    void LinkClick(const QString& target);
};
