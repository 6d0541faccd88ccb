#include "slipeditor.h"

#include <QDate>

#include "connection.h"
#include "dberror.h"
#include "statement.h"

namespace {

const QString SlipNoField = QStringLiteral("伝票番号");
const QString LineNoField = QStringLiteral("明細番号");
const QString SlipNoParam = QStringLiteral("SlipNo");
constexpr int LargestSlipNo = 2147483647;

// Another window saved a slip under the number of the new slip being saved.
struct NumberTaken {};

}  // namespace

SlipEditor::SlipEditor(Connection& connection, const SlipKind& kind)
    : HeaderDataSet(connection, kind.headerQuery()),
      DetailDataSet(connection, kind.lineQuery()),
      PartnerDataSet(connection, kind.side->rowByCodeQuery()),
      MaxDataSet(connection, kind.maxQuery()),
      m_connection(connection),
      m_kind(kind)
{
    HeaderDataSet.setObjectName(kind.headerDataSetName);
    DetailDataSet.setObjectName(QStringLiteral("DetailDataSet"));
    PartnerDataSet.setObjectName(kind.side->objectName({}, QStringLiteral("DataSet")));
    MaxDataSet.setObjectName(QStringLiteral("MaxDataSet"));

    HeaderDataSet.setWriteTarget(kind.headerTable, {SlipNoField}, Dataset::WriteMode::Immediate,
                                 {SlipKind::KeptTotalField});
    DetailDataSet.setWriteTarget(kind.lineTable, {SlipNoField, LineNoField}, Dataset::WriteMode::Cached);

    HeaderDataSet.events.beforeInsert = [this] { modify(); };
    HeaderDataSet.events.beforeEdit = [this] { modify(); };
    HeaderDataSet.events.fieldChanged = [this](const QString& field) { headerFieldChanged(field); };
    DetailDataSet.events.beforeInsert = [this] { modify(); };
    DetailDataSet.events.beforeEdit = [this] { modify(); };
    DetailDataSet.events.beforeDelete = [this] { modify(); };
    DetailDataSet.events.afterInsert = [this] {
        lineInserted();
        showTotals();
    };
    DetailDataSet.events.beforePost = [this] { checkLineBeforePost(); };
    DetailDataSet.events.afterPost = [this] { showTotals(); };
    DetailDataSet.events.afterDelete = [this] { showTotals(); };
    DetailDataSet.events.afterCancel = [this] { showTotals(); };
}

SlipEditor::~SlipEditor() = default;

int SlipEditor::nextSlipNo()
{
    MaxDataSet.close();
    std::int64_t largest = 0;
    try {
        MaxDataSet.open();
        // An empty table has no largest number: its first slip is 1.
        largest = MaxDataSet.field(QStringLiteral("最大伝票番号")).asInt();
    } catch (...) {
        MaxDataSet.close();
        throw;
    }
    MaxDataSet.close();
    if (largest >= LargestSlipNo)
        throw DbError(QStringLiteral("伝票番号が上限の %1 に達しています。").arg(LargestSlipNo));
    return int(largest + 1);
}

bool SlipEditor::openSlip(int slipNo)
{
    HeaderDataSet.close();
    DetailDataSet.close();
    m_editing = false;
    m_newSlip = false;
    HeaderDataSet.setParam(SlipNoParam, slipNo);
    DetailDataSet.setParam(SlipNoParam, slipNo);
    try {
        HeaderDataSet.open();
        DetailDataSet.open();
    } catch (...) {
        // A slip that cannot be read whole is not shown at all.
        closeAll();
        throw;
    }
    if (!HeaderDataSet.isEmpty())
        return false;
    m_newSlip = true;
    HeaderDataSet.append();
    HeaderDataSet.setValue(SlipNoField, slipNo);
    if (m_kind.hasGoods())
        HeaderDataSet.setValue(m_kind.classField, QStringLiteral("10"));
    HeaderDataSet.setValue(m_kind.dateField, QDate::currentDate());
    return true;
}

void SlipEditor::refreshPartner(const QString& code)
{
    PartnerDataSet.close();
    PartnerDataSet.setParam(QStringLiteral("Code"), code);
    PartnerDataSet.open();
}

int SlipEditor::slipNo() const
{
    if (!HeaderDataSet.isOpen() || HeaderDataSet.currentRow() < 0)
        return 0;
    return int(HeaderDataSet.field(SlipNoField).asInt());
}

bool SlipEditor::partnerRegistered() const
{
    if (!PartnerDataSet.isOpen() || PartnerDataSet.isEmpty() || !HeaderDataSet.isOpen() ||
        HeaderDataSet.currentRow() < 0)
        return false;
    return PartnerDataSet.field(m_kind.partnerField()).asText() ==
           HeaderDataSet.field(m_kind.partnerField()).asText();
}

bool SlipEditor::partnerCodeIs(const QString& text) const
{
    if (!HeaderDataSet.isOpen() || HeaderDataSet.currentRow() < 0)
        return text.isEmpty();
    return HeaderDataSet.field(m_kind.partnerField()).asText() == text;
}

bool SlipEditor::canCommit(const QString& partnerText) const
{
    return m_editing && HeaderDataSet.isOpen() && commitRefusal(partnerText).isEmpty();
}

QString SlipEditor::commitRefusal(const QString& partnerText) const
{
    if (!m_editing || !HeaderDataSet.isOpen())
        return {};
    const QString& partner = m_kind.partnerField();
    if (!partnerCodeIs(partnerText))
        return QStringLiteral("%1の入力を確定してください (Enter)。").arg(partner);
    if (partnerRequired() && !partnerRegistered())
        return partnerText.isEmpty() ? QStringLiteral("%1が入力されていません。").arg(partner)
                                     : QStringLiteral("%1が登録されていません。").arg(partner);
    if (!hasLines())
        return QStringLiteral("明細が入力されていません。");
    if (isLineBeingEntered())
        return LineBeingEnteredText;
    return {};
}

bool SlipEditor::canDelete() const
{
    return !m_editing && HeaderDataSet.isOpen() && HeaderDataSet.state() == Dataset::State::Browse &&
           HeaderDataSet.currentRow() >= 0;
}

void SlipEditor::modify()
{
    m_editing = true;
    if (beforeModify)
        beforeModify();
}

void SlipEditor::showTotals()
{
    if (totalsChanged)
        totalsChanged();
}

void SlipEditor::headerFieldChanged(const QString& field)
{
    // A partner or staff code emptied is stored as no code at all, never as an empty text.
    if ((field == m_kind.partnerField() || field == QStringLiteral("担当者コード")) &&
        !HeaderDataSet.field(field).isNull() && HeaderDataSet.field(field).asText().isEmpty())
        HeaderDataSet.setValue(field, QVariant());
}

void SlipEditor::renumberLines()
{
    const int keep = DetailDataSet.currentRow();
    for (int i = 0; i < DetailDataSet.count(); ++i) {
        DetailDataSet.moveTo(i);
        const Field number = DetailDataSet.field(LineNoField);
        if (number.isNull() || number.asInt() != i + 1) {
            DetailDataSet.edit();
            DetailDataSet.setValue(LineNoField, i + 1);
            DetailDataSet.post();
        }
    }
    if (keep >= 0 && keep < DetailDataSet.count())
        DetailDataSet.moveTo(keep);
}

// Inside the save's transaction, which holds the write lock: a new slip's number
// must still be free, and a saved slip must still be there as it was read.
void SlipEditor::checkStillAsRead()
{
    Statement st(m_connection,
                 QStringLiteral("SELECT 伝票合計 FROM %1 WHERE 伝票番号 = :SlipNo").arg(m_kind.headerTable));
    st.bind(SlipNoParam, slipNo());
    const bool exists = st.step();
    if (m_newSlip) {
        if (exists)
            throw NumberTaken{};
        return;
    }
    if (!exists)
        throw DbError(QStringLiteral("伝票番号 %1 の伝票は、開いた後で他の画面から削除されています。"
                                     "登録できません。「編集取消」で閉じてください。")
                          .arg(slipNo()));
    if (st.int64(0) != HeaderDataSet.field(SlipKind::ReadTotalField).asInt())
        throw DbError(QStringLiteral("伝票番号 %1 の伝票は、開いた後で他の画面から変更されています。"
                                     "登録できません。「編集取消」で閉じてから開き直してください。")
                          .arg(slipNo()));
}

// The new slip moves to the next free number, header and lines alike, so the
// user only has to save again. Nothing of the old number stays: the datasets'
// parameters follow, so that whatever reads the slip again reads this one.
void SlipEditor::takeNextNumber()
{
    const int number = nextSlipNo();
    HeaderDataSet.setParam(SlipNoParam, number);
    DetailDataSet.setParam(SlipNoParam, number);
    HeaderDataSet.edit();
    HeaderDataSet.setValue(SlipNoField, number);
    const int keep = DetailDataSet.currentRow();
    for (int i = 0; i < DetailDataSet.count(); ++i) {
        DetailDataSet.moveTo(i);
        DetailDataSet.edit();
        DetailDataSet.setValue(SlipNoField, number);
        DetailDataSet.post();
    }
    if (keep >= 0 && keep < DetailDataSet.count())
        DetailDataSet.moveTo(keep);
}

void SlipEditor::save()
{
    if (DetailDataSet.isEditing())
        DetailDataSet.post();
    checkPartner();
    checkLines();
    renumberLines();
    const int number = slipNo();
    try {
        // A write that fails rolls the transaction back, and the datasets mark
        // what they wrote in it as not written: the next save writes the slip
        // exactly as the window shows it.
        Transaction tx(m_connection);
        checkStillAsRead();
        // A header not changed is not written; one left unwritten by a
        // rolled-back save is written again.
        HeaderDataSet.post();
        DetailDataSet.applyUpdates();
        tx.commit();
    } catch (const NumberTaken&) {
        takeNextNumber();
        throw DbError(QStringLiteral("伝票番号 %1 は、他の画面で先に登録されました。"
                                     "この伝票を伝票番号 %2 に変えましたので、もう一度登録してください。")
                          .arg(number)
                          .arg(slipNo()));
    } catch (const DbConflict&) {
        throw DbError(
            QStringLiteral("伝票番号 %1 の伝票は、開いた後で他の画面から変更または削除されています。"
                           "何度登録しても保存できません。「編集取消」で閉じてから開き直してください。")
                .arg(number));
    }
    m_editing = false;
    m_newSlip = false;
    closeAll();
}

// The partner row is looked up for the code that will be written, whatever the
// window last looked up.
void SlipEditor::checkPartner()
{
    if (!partnerRequired())
        return;
    refreshPartner(HeaderDataSet.field(m_kind.partnerField()).asText());
    if (!partnerRegistered())
        throw SlipCheckError(QStringLiteral("%1が登録されていません。").arg(m_kind.partnerField()), -1,
                             m_kind.partnerField());
}

void SlipEditor::remove()
{
    const int number = slipNo();
    Transaction tx(m_connection);
    HeaderDataSet.remove();
    // The lines go with their header (the tables cascade); said here as well, so
    // that the slip and its lines leave in the same transaction whatever the file.
    Statement lines(m_connection,
                    QStringLiteral("DELETE FROM %1 WHERE 伝票番号 = :SlipNo").arg(m_kind.lineTable));
    lines.bind(SlipNoParam, number);
    lines.run();
    tx.commit();
    m_editing = false;
    m_newSlip = false;
    closeAll();
}

void SlipEditor::cancel()
{
    if (HeaderDataSet.isOpen())
        HeaderDataSet.cancel();
    if (DetailDataSet.isOpen()) {
        DetailDataSet.cancel();
        DetailDataSet.cancelUpdates();
    }
    m_editing = false;
    m_newSlip = false;
    closeAll();
}

void SlipEditor::closeAll()
{
    HeaderDataSet.close();
    DetailDataSet.close();
    closeLookups();
}

void SlipEditor::closeLookups()
{
    PartnerDataSet.close();
}
