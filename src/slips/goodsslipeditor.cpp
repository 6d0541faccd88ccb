#include "goodsslipeditor.h"

#include <QDate>

namespace {

const QString ItemCodeField = QStringLiteral("商品コード");
const QString CategoryField = QStringLiteral("商品分類コード");
const QString TaxClassField = QStringLiteral("税区分コード");
const QString PriceField = QStringLiteral("単価");
const QString TaxField = QStringLiteral("税額");
const QString QuantityField = QStringLiteral("数量");
const QString CodeParam = QStringLiteral("Code");

QVariant money(Money value)
{
    return QVariant::fromValue(value);
}

}  // namespace

GoodsSlipEditor::GoodsSlipEditor(Connection& connection, const SlipKind& kind)
    : SlipEditor(connection, kind),
      ClassDataSet(connection,
                   QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(kind.classTable, kind.classField)),
      EmployeeDataSet(connection, QStringLiteral("SELECT * FROM m_担当者 WHERE 担当者コード = :Code")),
      ItemCategoDataSet(connection, QStringLiteral("SELECT *, 商品分類コード || ' ' || 分類名 AS 商品分類 "
                                                   "FROM m_商品分類 ORDER BY 商品分類コード")),
      TaxCategoDataSet(connection, QStringLiteral("SELECT *, 税区分コード || ' ' || 税区分名 AS 税区分 "
                                                  "FROM m_税区分 ORDER BY 税区分コード")),
      ItemDataSet(connection, QStringLiteral("SELECT * FROM m_商品 WHERE 商品コード = :Code")),
      TaxDataSet(connection, LineTax::RateQuery)
{
    ClassDataSet.setObjectName(QStringLiteral("ClassDataSet"));
    EmployeeDataSet.setObjectName(QStringLiteral("EmployeeDataSet"));
    ItemCategoDataSet.setObjectName(QStringLiteral("ItemCategoDataSet"));
    TaxCategoDataSet.setObjectName(QStringLiteral("TaxCategoDataSet"));
    ItemDataSet.setObjectName(QStringLiteral("ItemDataSet"));
    TaxDataSet.setObjectName(QStringLiteral("TaxDataSet"));

    DetailDataSet.addLookupField(QStringLiteral("商品分類"), CategoryField, ItemCategoDataSet, CategoryField,
                                 QStringLiteral("商品分類"));
    DetailDataSet.addLookupField(QStringLiteral("税区分"), TaxClassField, TaxCategoDataSet, TaxClassField,
                                 QStringLiteral("税区分"));
    DetailDataSet.addCalculatedField(QStringLiteral("税込合計"), [](const RowRef& row) -> QVariant {
        try {
            return money(LineTax::lineTotal(row.field(PriceField).asMoney(), row.field(TaxField).asMoney(),
                                            row.field(QuantityField).asMoney()));
        } catch (const LineAmountError&) {
            return {};
        }
    });
    DetailDataSet.events.fieldChanged = [this](const QString& field) { lineFieldChanged(field); };
    DetailDataSet.events.afterCancel = [this] { rememberLine(); };
    QObject::connect(&DetailDataSet, &Dataset::currentChanged, &DetailDataSet, [this] { rememberLine(); });
}

void GoodsSlipEditor::openFixedLists()
{
    ClassDataSet.open();
    ItemCategoDataSet.open();
    TaxCategoDataSet.open();
}

void GoodsSlipEditor::refreshEmployee(const QString& code)
{
    EmployeeDataSet.close();
    EmployeeDataSet.setParam(CodeParam, code);
    EmployeeDataSet.open();
}

void GoodsSlipEditor::refreshTaxRate()
{
    TaxDataSet.close();
    const QDate date = HeaderDataSet.isOpen() && HeaderDataSet.currentRow() >= 0
                           ? HeaderDataSet.field(kind().dateField).asDate()
                           : QDate();
    // A slip without a date has no rate in force: its lines bear no tax.
    TaxDataSet.setParam(LineTax::RateDateParam, date.isValid() ? QVariant(date) : QVariant());
    TaxDataSet.open();
}

bool GoodsSlipEditor::partnerRequired() const
{
    return HeaderDataSet.isOpen() && HeaderDataSet.currentRow() >= 0 &&
           HeaderDataSet.field(kind().classField).asText() == QStringLiteral("10");
}

void GoodsSlipEditor::headerFieldChanged(const QString& field)
{
    SlipEditor::headerFieldChanged(field);
    // The lines keep the tax they have; only a line edited later takes the new rate.
    if (field == kind().dateField) {
        refreshTaxRate();
        showTotals();
    }
}

void GoodsSlipEditor::lineInserted()
{
    DetailDataSet.setValue(QStringLiteral("伝票番号"), slipNo());
    DetailDataSet.setValue(PriceField, money(Money()));
    DetailDataSet.setValue(TaxField, money(Money()));
    DetailDataSet.setValue(QuantityField, money(Money::fromYen(1)));
    DetailDataSet.setValue(TaxClassField, LineTax::TaxableClass);
}

void GoodsSlipEditor::lineFieldChanged(const QString& field)
{
    if (field == ItemCodeField)
        copyItem(DetailDataSet.field(ItemCodeField).asText());
    else if (field == TaxClassField || field == PriceField || field == QuantityField)
        computeTax(field);
}

void GoodsSlipEditor::copyItem(const QString& code)
{
    ItemDataSet.close();
    ItemDataSet.setParam(CodeParam, code);
    QVariant name, category, taxClass, unit;
    Money price;
    try {
        ItemDataSet.open();
        if (ItemDataSet.isEmpty()) {
            ItemDataSet.close();
            return;  // an unknown code changes nothing else on the line
        }
        name = ItemDataSet.field(QStringLiteral("商品名")).value();
        category = ItemDataSet.field(CategoryField).value();
        taxClass = ItemDataSet.field(TaxClassField).value();
        unit = ItemDataSet.field(QStringLiteral("単位")).value();
        price = ItemDataSet.field(kind().priceField).asMoney();  // none counts 0
    } catch (...) {
        ItemDataSet.close();
        throw;
    }
    ItemDataSet.close();
    DetailDataSet.setValue(TaxField, money(Money()));
    DetailDataSet.setValue(QStringLiteral("商品名"), name);
    DetailDataSet.setValue(CategoryField, category);
    DetailDataSet.setValue(TaxClassField, taxClass);
    DetailDataSet.setValue(QuantityField, money(Money::fromYen(1)));
    DetailDataSet.setValue(QStringLiteral("単位"), unit);
    DetailDataSet.setValue(PriceField, money(price));
}

void GoodsSlipEditor::computeTax(const QString& changedField)
{
    const Money price = DetailDataSet.field(PriceField).asMoney();
    const Money quantity = DetailDataSet.field(QuantityField).asMoney();
    try {
        const Money tax = LineTax::taxPerUnit(DetailDataSet.field(TaxClassField).asText(), price, rate());
        LineTax::checkLine(price, tax, quantity);
        DetailDataSet.setValue(TaxField, money(tax));
    } catch (const LineAmountError&) {
        // The value is refused: the line takes back the one it had.
        const auto previous = m_accepted.constFind(changedField);
        if (previous != m_accepted.constEnd())
            DetailDataSet.setValue(changedField, *previous);
        throw;
    }
    m_accepted.insert(changedField, DetailDataSet.field(changedField).value());
}

void GoodsSlipEditor::rememberLine()
{
    m_accepted.clear();
    if (!DetailDataSet.isOpen() || DetailDataSet.currentRow() < 0)
        return;
    for (const QString& field : {TaxClassField, PriceField, QuantityField})
        m_accepted.insert(field, DetailDataSet.field(field).value());
}

void GoodsSlipEditor::checkLineBeforePost()
{
    LineTax::checkLine(DetailDataSet.field(PriceField).asMoney(), DetailDataSet.field(TaxField).asMoney(),
                       DetailDataSet.field(QuantityField).asMoney());
    LineTax::SlipTotals::of(DetailDataSet.clone());  // the slip with this line must fit as well
}

void GoodsSlipEditor::checkLines()
{
    for (int row = 0; row < DetailDataSet.count(); ++row) {
        if (DetailDataSet.fieldAt(row, CategoryField).asText().isEmpty())
            throw SlipCheckError(QStringLiteral("商品分類が入力されていません。"), row,
                                 QStringLiteral("商品分類"));
    }
    LineTax::SlipTotals sums;
    for (int row = 0; row < DetailDataSet.count(); ++row) {
        try {
            sums.addLine(DetailDataSet.fieldAt(row, PriceField).asMoney(),
                         DetailDataSet.fieldAt(row, TaxField).asMoney(),
                         DetailDataSet.fieldAt(row, QuantityField).asMoney());
        } catch (const LineAmountError& e) {
            throw SlipCheckError(e.message(), row, PriceField);
        }
    }
}

void GoodsSlipEditor::closeLookups()
{
    SlipEditor::closeLookups();
    EmployeeDataSet.close();
}
