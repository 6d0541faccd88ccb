#pragma once

#include <functional>
#include <memory>

#include "functionwindow.h"

class Dataset;
class DbEdit;
class DbNumberEdit;
class LogoView;
class QPushButton;

// "会社情報": the one row of m_自社情報, edited in bound fields, with the logo
// printed on the bills. Viewing or Editing: the first change of a field, or a
// new logo, starts editing; "登録" (F11) writes the row, "編集取消" (F10) drops
// the changes. When the table has no row yet, the window starts one.
class TInputCompanyForm : public FunctionWindow {
    Q_OBJECT

    // Declared first: CompanyDataSet refers to it.
    std::unique_ptr<Dataset> m_companyDataSet;

public:
    // Asks the user for a picture file; an empty text when the user cancelled.
    using PictureChooser = std::function<QString(QWidget* owner)>;

    explicit TInputCompanyForm(QWidget* owner);
    ~TInputCompanyForm() override;

    // The file dialog that ButtonRefClick shows (tests put their own in).
    void setPictureChooser(PictureChooser chooser) { m_chooser = std::move(chooser); }
    static QString choosePictureFile(QWidget* owner);

    // Asks for a picture and draws it into the logo (the button "参照..." and a
    // click on the logo).
    void ButtonRefClick();

    Dataset& CompanyDataSet;

    DbEdit* EditCompanyName;
    DbEdit* EditPresident;
    DbNumberEdit* EditPostalCode;
    DbEdit* EditAddress;
    DbEdit* EditPhone;
    DbEdit* EditFax;
    DbEdit* EditMail;
    DbEdit* EditBankAccount;
    LogoView* ImageLogo;
    QPushButton* ButtonRef;

    QAction* ActionCancel = nullptr;
    QAction* ActionPost = nullptr;
    QAction* ActionClose = nullptr;

protected:
    void openFixedLists() override;
    void setInitialValues() override;
    void updateActions() override;

private:
    void buildLayout();
    void ActionPostExecute();
    void ActionCancelExecute();

    PictureChooser m_chooser;
};
