#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

struct GeneratorOptions {
    // 1 is ten years of a busy small business: 250,000 sales slips with about a
    // million lines. Masters grow with the scale too, but never below a handful.
    double scale = 1.0;
    std::uint64_t seed = 0x436f7276696e7461ULL;
};

// Fills an open database made from the schema (its fixed rows in place, no
// other rows) with a deterministic, realistic data set: masters, and sales,
// purchase, receipt and payment slips dated over the ten years that end on
// 2026-12-31, so they cross the tax-rate change of 2019-10-01. Cash and credit
// slips are mixed, some cash sales have no customer, some lines no item, a few
// customers and suppliers are deleted after their slips were written, and some
// slips carry a time of day. Works in one transaction through prepared
// statements; throws std::runtime_error with the engine's message on failure.
class DataGenerator {
public:
    DataGenerator(sqlite3* db, GeneratorOptions options);
    void run();

    // Rows per table after run(), in a fixed order.
    std::vector<std::pair<std::string, long long>> tableCounts() const;

    static constexpr long long SalesSlips = 250000;
    static constexpr long long PurchaseSlips = 60000;
    static constexpr long long Receipts = 50000;
    static constexpr long long Payments = 20000;
    static constexpr long long Customers = 300;
    static constexpr long long Suppliers = 100;
    static constexpr long long Items = 3000;
    static constexpr long long Staff = 10;

private:
    struct Item {
        std::string code, name, unit, category, taxClass;
        std::optional<std::int64_t> price, cost;  // ten-thousandths
        bool fractionalQuantity = false;          // sold by weight or length
    };

    void exec(const char* sql) const;
    long long scaled(long long count, long long minimum) const;
    std::uint64_t seedFor(int part) const;
    void loadFixedRows();
    void makeStaff();
    void makeCategories();
    void makeItems();
    void makePartners(bool customers);
    void makeGoodsSlips(bool sales);
    void makeMoneySlips(bool receipts);
    void deleteSomePartners();

    sqlite3* m_db;
    GeneratorOptions m_options;

    std::vector<std::int64_t> m_rateByDay;  // ten-thousandths, per day of the period
    std::vector<std::string> m_units;
    std::vector<std::string> m_categoryCodes;
    std::vector<std::string> m_categoryUnits;
    std::vector<std::string> m_categoryTax;
    std::vector<Item> m_items;
    std::vector<Item> m_chargeItems;  // freight, fees and discounts: lines without an item code
    std::vector<std::string> m_customerCodes;
    std::vector<std::string> m_supplierCodes;
    std::vector<std::string> m_staffCodes;
};
