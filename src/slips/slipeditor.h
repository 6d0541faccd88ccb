#pragma once

#include <QString>

#include <functional>
#include <stdexcept>

#include "dataset.h"
#include "slipkind.h"

class Connection;

// A check of the program's own that stops a save before anything is written:
// the message for the warning box, and the line and field the user must correct.
class SlipCheckError : public std::runtime_error {
public:
    SlipCheckError(const QString& message, int row, const QString& field)
        : std::runtime_error(message.toStdString()), m_message(message), m_row(row), m_field(field)
    {
    }
    const QString& message() const { return m_message; }
    int row() const { return m_row; }
    const QString& field() const { return m_field; }

private:
    QString m_message;
    int m_row;
    QString m_field;
};

// The slip being shown or entered in a slip window, without the window: the
// header and its cached lines, the partner look-up, drawing the next number,
// opening a slip, the modification hook, saving with renumbering in one
// transaction, deleting and cancelling. The windows call it; tests and the
// benchmark call it directly.
//
// The editing flag is set by the modification hook (the header entering insert
// or edit, a line inserted, edited or deleted) and cleared by a successful save,
// a delete or a cancel. A save that fails leaves everything as it was before
// the save, for the user to correct and save again, or cancel.
class SlipEditor {
public:
    SlipEditor(Connection& connection, const SlipKind& kind);
    virtual ~SlipEditor();
    SlipEditor(const SlipEditor&) = delete;
    SlipEditor& operator=(const SlipEditor&) = delete;

    const SlipKind& kind() const { return m_kind; }

    Dataset HeaderDataSet;   // SalesDataSet, BuyingDataSet, ReceiveDataSet, PaymentDataSet
    Dataset DetailDataSet;   // the lines, cached until the save
    Dataset PartnerDataSet;  // CustomerDataSet or SupplierDataSet
    Dataset MaxDataSet;      // the largest slip number

    // Run before the header or a line starts to change (the window locks its
    // slip-number field), and whenever the slip totals must be shown again.
    std::function<void()> beforeModify;
    std::function<void()> totalsChanged;

    // The window's fixed lists, in their order.
    virtual void openFixedLists() = 0;

    // The largest slip number of the kind plus one; 1 when there is none yet.
    int nextSlipNo();
    // Opens slip `slipNo`; when no slip has that number, starts a new one with
    // it (dated today, class "10" where the kind has classes). True for a new slip.
    bool openSlip(int slipNo);
    // The partner row of the code as typed.
    void refreshPartner(const QString& code);

    bool isEditing() const { return m_editing; }
    bool isNewSlip() const { return m_newSlip; }
    int slipNo() const;
    bool hasLines() const { return DetailDataSet.isOpen() && DetailDataSet.count() > 0; }
    bool isLineBeingEntered() const { return DetailDataSet.isEditing(); }
    // The partner row shown is that of the header's code.
    bool partnerRegistered() const;
    // The header's partner code equals `text` (an empty text equals no code).
    bool partnerCodeIs(const QString& text) const;
    // Whether the slip's partner must be registered (a credit slip, every money slip).
    virtual bool partnerRequired() const = 0;

    // The save condition: lines, a registered partner where one is required,
    // the partner field left (`partnerText` stored), no line being entered.
    bool canCommit(const QString& partnerText) const;
    // The first of those conditions that is not met, as the message that says
    // so ("顧客コードが登録されていません。"); empty when all are met or when no
    // slip is being edited.
    QString commitRefusal(const QString& partnerText) const;
    inline static const QString LineBeingEnteredText =
        QStringLiteral("入力中の明細行を確定してください (Enter)。");
    // A saved slip is shown, unchanged.
    bool canDelete() const;

    // Posts a line being entered, runs the checks (SlipCheckError; the partner
    // is looked up again for the code that will be written), renumbers the
    // lines 1, 2, 3 … and writes header and lines in one transaction. On success
    // everything is closed and the editing flag is clear. On failure nothing is
    // stored and the slip stays as it was for another try. When another window
    // saved a slip under this new slip's number first, the slip takes the next
    // free number and the save fails with a message that says so. When another
    // window changed the slip since it was read, every save fails until the
    // slip is opened again.
    void save();
    // Deletes the shown slip, its lines with it, in one transaction; closes everything.
    void remove();
    // Drops every unsaved change; closes everything.
    void cancel();
    // Closes the header, the lines and the look-ups.
    void closeAll();

protected:
    // Before the header or a line changes.
    void modify();
    void showTotals();
    // Throws SlipCheckError for the first line that cannot be saved.
    virtual void checkLines() {}
    virtual void closeLookups();
    // A header field changed (the partner code emptied becomes null).
    virtual void headerFieldChanged(const QString& field);
    // A new line's defaults.
    virtual void lineInserted() = 0;
    // Before a line is confirmed into the line set: refuses one that cannot be stored.
    virtual void checkLineBeforePost() {}

    Connection& m_connection;

private:
    void checkPartner();
    void renumberLines();
    void checkStillAsRead();
    void takeNextNumber();

    const SlipKind& m_kind;
    bool m_editing = false;
    bool m_newSlip = false;
};
