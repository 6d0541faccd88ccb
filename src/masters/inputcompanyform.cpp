#include "inputcompanyform.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "companylogo.h"
#include "dataset.h"
#include "dbedit.h"
#include "dbnumberedit.h"
#include "logoview.h"

namespace {

const QString LogoField = QStringLiteral("会社ロゴ");

}  // namespace

TInputCompanyForm::TInputCompanyForm(QWidget* owner)
    : FunctionWindow(owner),
      m_companyDataSet(std::make_unique<Dataset>(Connection, QStringLiteral("SELECT * FROM m_自社情報"))),
      CompanyDataSet(*m_companyDataSet),
      EditCompanyName(new DbEdit),
      EditPresident(new DbEdit),
      EditPostalCode(new DbNumberEdit(DbNumberEdit::Kind::PostalCode)),
      EditAddress(new DbEdit),
      EditPhone(new DbEdit),
      EditFax(new DbEdit),
      EditMail(new DbEdit),
      EditBankAccount(new DbEdit),
      ImageLogo(new LogoView),
      ButtonRef(new QPushButton(QStringLiteral("参照..."))),
      m_chooser(&TInputCompanyForm::choosePictureFile)
{
    setObjectName(QStringLiteral("TInputCompanyForm"));
    setWindowTitle(QStringLiteral("会社情報"));
    resize(720, 480);

    CompanyDataSet.setWriteTarget(QStringLiteral("m_自社情報"), {QStringLiteral("自社ID")},
                                  Dataset::WriteMode::Immediate);
    // CompanyDataSetBeforeEdit: the first change of any field starts editing.
    CompanyDataSet.events.beforeEdit = [this] { setEditing(true); };
    CompanyDataSet.events.beforeInsert = [this] { setEditing(true); };
    // The table holds at most the one row, whose key is 1.
    CompanyDataSet.events.afterInsert = [this] { CompanyDataSet.setValue(QStringLiteral("自社ID"), 1); };

    EditCompanyName->bind(CompanyDataSet, QStringLiteral("会社名"), 50);
    EditPresident->bind(CompanyDataSet, QStringLiteral("代表者名"), 50);
    EditPostalCode->bind(CompanyDataSet, QStringLiteral("郵便番号"));
    EditAddress->bind(CompanyDataSet, QStringLiteral("住所"), 100);
    EditPhone->bind(CompanyDataSet, QStringLiteral("電話番号"), 50);
    EditFax->bind(CompanyDataSet, QStringLiteral("FAX番号"), 50);
    EditMail->bind(CompanyDataSet, QStringLiteral("E-Mail"), 50);
    EditBankAccount->bind(CompanyDataSet, QStringLiteral("取引銀行口座"), 100);
    ImageLogo->bind(CompanyDataSet, LogoField);

    ActionCancel = createAction(QStringLiteral("ActionCancel"), QStringLiteral("編集取消"),
                                QKeySequence(ActionKey::Cancel), [this] { ActionCancelExecute(); });
    ActionPost = createAction(QStringLiteral("ActionPost"), QStringLiteral("登録"),
                              QKeySequence(ActionKey::Post), [this] { ActionPostExecute(); });
    ActionClose = createCloseAction();

    connect(ButtonRef, &QPushButton::clicked, this, [this] { runGuarded([this] { ButtonRefClick(); }); });
    connect(ImageLogo, &LogoView::clicked, this, [this] { runGuarded([this] { ButtonRefClick(); }); });

    buildLayout();
    showEditingStatus();
    FormCreate();
}

TInputCompanyForm::~TInputCompanyForm() = default;

void TInputCompanyForm::buildLayout()
{
    const struct {
        const char16_t* caption;
        QWidget* field;
        const char* name;
        int width;
    } rows[] = {
        {u"会社名", EditCompanyName, "EditCompanyName", 320},
        {u"代表者名", EditPresident, "EditPresident", 200},
        {u"郵便番号", EditPostalCode, "EditPostalCode", 80},
        {u"住所", EditAddress, "EditAddress", 480},
        {u"電話番号", EditPhone, "EditPhone", 160},
        {u"FAX番号", EditFax, "EditFax", 160},
        {u"E-Mail", EditMail, "EditMail", 320},
        {u"取引銀行口座", EditBankAccount, "EditBankAccount", 480},
    };
    auto* form = new QGridLayout;
    form->setColumnStretch(2, 1);
    int line = 0;
    QList<QWidget*> tabOrder;
    for (const auto& row : rows) {
        auto* label = new QLabel(QString::fromUtf16(row.caption));
        label->setBuddy(row.field);
        row.field->setObjectName(QString::fromLatin1(row.name));
        row.field->setMinimumWidth(row.width);
        form->addWidget(label, line, 0);
        form->addWidget(row.field, line, 1, Qt::AlignLeft);
        tabOrder << row.field;
        ++line;
    }

    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setFixedSize(128, 64);
    ButtonRef->setObjectName(QStringLiteral("ButtonRef"));
    ButtonRef->setAutoDefault(false);
    auto* logo = new QHBoxLayout;
    logo->addWidget(ImageLogo);
    logo->addWidget(ButtonRef, 0, Qt::AlignBottom);
    logo->addStretch(1);
    form->addWidget(new QLabel(QStringLiteral("会社ロゴ")), line, 0, Qt::AlignTop);
    form->addLayout(logo, line, 1);
    tabOrder << ButtonRef;

    QHBoxLayout* buttons = actionBar({ActionCancel, ActionPost, ActionClose});

    auto* root = new QVBoxLayout(body());
    root->addLayout(form);
    root->addStretch(1);
    root->addLayout(buttons);
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

QString TInputCompanyForm::choosePictureFile(QWidget* owner)
{
    const QString filter = QStringLiteral("画像ファイル (%1);;すべてのファイル (*)")
                               .arg(CompanyLogo::readablePatterns().join(u' '));
    return QFileDialog::getOpenFileName(owner, QStringLiteral("会社ロゴ"), QString(), filter);
}

void TInputCompanyForm::ButtonRefClick()
{
    const QString path = m_chooser ? m_chooser(this) : QString();
    if (path.isEmpty())
        return;
    // As the user asked for a new logo, the row is in editing even when the file
    // turns out unreadable; the logo itself stays as it was.
    CompanyDataSet.edit();
    const QImage picture = CompanyLogo::loadPicture(path);
    CompanyDataSet.setValue(LogoField,
                            CompanyLogo::drawnInto(CompanyDataSet.field(LogoField).asBytes(), picture));
}

void TInputCompanyForm::openFixedLists()
{
    CompanyDataSet.open();
}

void TInputCompanyForm::setInitialValues()
{
    // Nothing to edit yet: the window starts the company's row.
    if (CompanyDataSet.isEmpty())
        CompanyDataSet.append();
}

void TInputCompanyForm::updateActions()
{
    ActionPost->setEnabled(isEditing());
    ActionCancel->setEnabled(isEditing());
}

void TInputCompanyForm::ActionPostExecute()
{
    CompanyDataSet.post();
    setEditing(false);
}

void TInputCompanyForm::ActionCancelExecute()
{
    CompanyDataSet.cancel();
    setEditing(false);
}
