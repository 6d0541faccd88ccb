#include "aboutcorvintadlg.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// A band filled with a left-to-right gradient.
class GradientBand : public QWidget {
public:
    GradientBand(QColor from, QColor to, int height, QWidget* parent)
        : QWidget(parent), m_from(from), m_to(to)
    {
        setFixedHeight(height);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QLinearGradient g(rect().topLeft(), rect().topRight());
        g.setColorAt(0, m_from);
        g.setColorAt(1, m_to);
        p.fillRect(rect(), g);
    }

private:
    QColor m_from;
    QColor m_to;
};

QLabel* linkLabel(const QString& target, const QString& shown, QWidget* parent)
{
    auto* label = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), shown.toHtmlEscaped()), parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(false);
    return label;
}

}  // namespace

TAboutCorvintaDlg::TAboutCorvintaDlg(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(312, 286);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* band = new GradientBand(QColor(0x87, 0xce, 0xeb), QColor(0x00, 0x00, 0xff), 73, this);
    band->setObjectName(QStringLiteral("TitleBand"));
    auto* bandLayout = new QVBoxLayout(band);
    bandLayout->setContentsMargins(16, 8, 16, 8);
    bandLayout->setSpacing(0);
    auto* product = new QLabel(QStringLiteral("Corvinta"), band);
    product->setObjectName(QStringLiteral("LabelProduct"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    product->setFont(big);
    auto* version = new QLabel(Version, band);
    version->setObjectName(QStringLiteral("LabelVersion"));
    for (QLabel* l : {product, version})
        l->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    bandLayout->addWidget(product);
    bandLayout->addWidget(version);
    root->addWidget(band);

    auto* stripe = new GradientBand(QColor(0xff, 0xff, 0x00), QColor(0xff, 0x00, 0x00), 5, this);
    stripe->setObjectName(QStringLiteral("Stripe"));
    root->addWidget(stripe);

    auto* links = new QGridLayout;
    links->setContentsMargins(24, 28, 24, 0);
    links->setHorizontalSpacing(4);
    links->setVerticalSpacing(12);
    LabelHomePage = linkLabel(HomePage, HomePage, this);
    LabelHomePage->setObjectName(QStringLiteral("LabelHomePage"));
    LabelMail = linkLabel(QStringLiteral("mailto:") + MailAddress, MailAddress, this);
    LabelMail->setObjectName(QStringLiteral("LabelMail"));
    links->addWidget(new QLabel(QStringLiteral("ホームページ："), this), 0, 0);
    links->addWidget(LabelHomePage, 0, 1);
    links->addWidget(new QLabel(QStringLiteral("E-Mail："), this), 1, 0);
    links->addWidget(LabelMail, 1, 1);
    links->setColumnStretch(1, 1);
    root->addLayout(links);
    root->addStretch(1);

    for (QLabel* link : {LabelHomePage, LabelMail})
        connect(link, &QLabel::linkActivated, this, &TAboutCorvintaDlg::LinkClick);

    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonOK->setMinimumWidth(75);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 16);
    buttons->addStretch(1);
    buttons->addWidget(ButtonOK);
    buttons->addStretch(1);
    root->addLayout(buttons);
    ButtonOK->setFocus();
}

void TAboutCorvintaDlg::LinkClick(const QString& target)
{
    QDesktopServices::openUrl(QUrl(target));
}
