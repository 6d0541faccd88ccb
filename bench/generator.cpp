#include "generator.h"

#include <sqlite3.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "rng.h"

namespace {

// ---- dates -------------------------------------------------------------------

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = int(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int y, m, d;
};

Civil civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = int(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    return {int(yoe + era * 400) + (m <= 2), m, d};
}

const std::int64_t kFirstDay = daysFromCivil(2017, 1, 1);
const std::int64_t kLastDay = daysFromCivil(2026, 12, 31);
const std::int64_t kDays = kLastDay - kFirstDay + 1;

std::string isoDate(std::int64_t day)
{
    const Civil c = civilFromDays(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.y, c.m, c.d);
    return buf;
}

// ---- a prepared statement ------------------------------------------------------

class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(db)) + ": " + sql);
    }
    ~Stmt() { sqlite3_finalize(m_stmt); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    Stmt& text(int i, std::string_view v)
    {
        sqlite3_bind_text(m_stmt, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& textOrNull(int i, const std::string& v) { return v.empty() ? null(i) : text(i, v); }
    Stmt& integer(int i, std::int64_t v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Stmt& integer(int i, const std::optional<std::int64_t>& v) { return v ? integer(i, *v) : null(i); }
    Stmt& null(int i)
    {
        sqlite3_bind_null(m_stmt, i);
        return *this;
    }
    void run()
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE) {
            const std::string msg = sqlite3_errmsg(m_db);
            sqlite3_reset(m_stmt);
            throw std::runtime_error(msg + ": " + sqlite3_sql(m_stmt));
        }
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    bool row()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + ": " + sqlite3_sql(m_stmt));
        return false;
    }
    std::int64_t columnInt(int c) { return sqlite3_column_int64(m_stmt, c); }
    std::string columnText(int c)
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, c));
        return p ? std::string(p, size_t(sqlite3_column_bytes(m_stmt, c))) : std::string();
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// ---- names -----------------------------------------------------------------------

struct Word {
    const char* text;
    const char* kana;
};

constexpr Word kFamilies[] = {
    {"佐藤", "サトウ"},   {"鈴木", "スズキ"},   {"高橋", "タカハシ"}, {"田中", "タナカ"},
    {"伊藤", "イトウ"},   {"渡辺", "ワタナベ"}, {"山本", "ヤマモト"}, {"中村", "ナカムラ"},
    {"小林", "コバヤシ"}, {"加藤", "カトウ"},   {"吉田", "ヨシダ"},   {"山田", "ヤマダ"},
    {"佐々木", "ササキ"}, {"山口", "ヤマグチ"}, {"松本", "マツモト"}, {"井上", "イノウエ"},
    {"木村", "キムラ"},   {"林", "ハヤシ"},     {"斎藤", "サイトウ"}, {"清水", "シミズ"},
    {"山崎", "ヤマザキ"}, {"森", "モリ"},       {"池田", "イケダ"},   {"橋本", "ハシモト"},
    {"阿部", "アベ"},     {"石川", "イシカワ"}, {"前田", "マエダ"},   {"藤田", "フジタ"},
    {"大和", "ヤマト"},   {"富士", "フジ"},     {"三和", "サンワ"},   {"旭", "アサヒ"},
    {"北斗", "ホクト"},   {"青葉", "アオバ"},   {"東洋", "トウヨウ"}, {"日の出", "ヒノデ"},
};
constexpr const char* kFamilyRomaji[] = {
    "sato",   "suzuki",  "takahashi", "tanaka", "ito",       "watanabe",  "yamamoto", "nakamura", "kobayashi",
    "kato",   "yoshida", "yamada",    "sasaki", "yamaguchi", "matsumoto", "inoue",    "kimura",   "hayashi",
    "saito",  "shimizu", "yamazaki",  "mori",   "ikeda",     "hashimoto", "abe",      "ishikawa", "maeda",
    "fujita", "yamato",  "fuji",      "sanwa",  "asahi",     "hokuto",    "aoba",     "toyo",     "hinode",
};
static_assert(std::size(kFamilies) == std::size(kFamilyRomaji));

constexpr Word kTrades[] = {
    {"商店", "ショウテン"}, {"商事", "ショウジ"},     {"工業", "コウギョウ"},     {"物産", "ブッサン"},
    {"産業", "サンギョウ"}, {"電機", "デンキ"},       {"建設", "ケンセツ"},       {"食品", "ショクヒン"},
    {"運輸", "ウンユ"},     {"工務店", "コウムテン"}, {"製作所", "セイサクショ"}, {"興業", "コウギョウ"},
};
constexpr Word kGivenNames[] = {
    {"太郎", "タロウ"}, {"花子", "ハナコ"}, {"健一", "ケンイチ"}, {"直美", "ナオミ"},   {"大輔", "ダイスケ"},
    {"裕子", "ユウコ"}, {"誠", "マコト"},   {"恵", "メグミ"},     {"翔太", "ショウタ"}, {"美咲", "ミサキ"},
};
constexpr const char* kCities[] = {
    "東京都千代田区",     "東京都港区",         "大阪府大阪市北区",
    "愛知県名古屋市中区", "神奈川県横浜市西区", "埼玉県さいたま市大宮区",
    "千葉県千葉市中央区", "兵庫県神戸市中央区", "福岡県福岡市博多区",
    "北海道札幌市中央区", "宮城県仙台市青葉区", "京都府京都市下京区",
    "静岡県静岡市葵区",   "広島県広島市中区",
};
constexpr const char* kTowns[] = {"本町", "栄町", "中央", "緑町", "旭町", "幸町", "末広町", "錦町"};

struct Category {
    const char* name;
    const char* kana;
    const char* unit;
    const char* tax;
};
// The last category holds the charges (freight, fees, discounts) that lines
// carry without an item code.
constexpr Category kCategories[] = {
    {"文具", "ブング", "個", "01"},
    {"筆記具", "ヒッキグ", "本", "01"},
    {"ノート", "ノート", "冊", "01"},
    {"ファイル", "ファイル", "冊", "01"},
    {"封筒", "フウトウ", "袋", "01"},
    {"コピー用紙", "コピーヨウシ", "箱", "01"},
    {"事務機器", "ジムキキ", "台", "01"},
    {"電池", "デンチ", "個", "01"},
    {"照明", "ショウメイ", "個", "01"},
    {"電線", "デンセン", "m", "01"},
    {"配線器具", "ハイセンキグ", "個", "01"},
    {"工具", "コウグ", "本", "01"},
    {"作業用品", "サギョウヨウヒン", "個", "01"},
    {"安全用品", "アンゼンヨウヒン", "個", "01"},
    {"手袋", "テブクロ", "セット", "01"},
    {"梱包資材", "コンポウシザイ", "ケース", "01"},
    {"テープ", "テープ", "本", "01"},
    {"接着剤", "セッチャクザイ", "本", "01"},
    {"塗料", "トリョウ", "kg", "01"},
    {"清掃用品", "セイソウヨウヒン", "個", "01"},
    {"洗剤", "センザイ", "本", "01"},
    {"衛生用品", "エイセイヨウヒン", "箱", "01"},
    {"紙製品", "カミセイヒン", "ケース", "01"},
    {"日用品", "ニチヨウヒン", "個", "01"},
    {"台所用品", "ダイドコロヨウヒン", "個", "01"},
    {"食器", "ショッキ", "枚", "01"},
    {"飲料", "インリョウ", "ケース", "01"},
    {"菓子", "カシ", "箱", "01"},
    {"調味料", "チョウミリョウ", "本", "01"},
    {"米穀", "ベイコク", "kg", "01"},
    {"家具", "カグ", "台", "01"},
    {"収納用品", "シュウノウヨウヒン", "個", "01"},
    {"園芸用品", "エンゲイヨウヒン", "袋", "01"},
    {"農業資材", "ノウギョウシザイ", "袋", "01"},
    {"ねじ", "ネジ", "箱", "01"},
    {"金物", "カナモノ", "個", "01"},
    {"配管部材", "ハイカンブザイ", "本", "01"},
    {"木材", "モクザイ", "本", "01"},
    {"商品券", "ショウヒンケン", "枚", "02"},
    {"諸経費", "ショケイヒ", "式", "01"},
};
constexpr int kCategoryCount = int(std::size(kCategories));
constexpr const char* kSeries[] = {"スタンダード", "プレミアム", "エコ",   "ミニ",   "ワイド",
                                   "プロ",         "ライト",     "ハード", "ソフト", "クリア",
                                   "ブラック",     "ホワイト",   "レッド", "ブルー", "グリーン"};
constexpr const char* kHalfKana[] = {"ｱ", "ｲ", "ｳ", "ｴ", "ｵ", "ｶ", "ｷ", "ｸ", "ｹ", "ｺ", "ｻ", "ｼ",
                                     "ｽ", "ｾ", "ｿ", "ﾀ", "ﾁ", "ﾂ", "ﾃ", "ﾄ", "ﾅ", "ﾆ", "ﾇ", "ﾈ",
                                     "ﾉ", "ﾊ", "ﾋ", "ﾌ", "ﾍ", "ﾎ", "ﾏ", "ﾐ", "ﾑ", "ﾒ", "ﾓ", "ﾔ",
                                     "ﾕ", "ﾖ", "ﾗ", "ﾘ", "ﾙ", "ﾚ", "ﾛ", "ﾜ", "ﾝ", "ｰ"};
// Price points in tenths of a yen (¥10 … ¥98,000 once scaled by a power of ten).
constexpr int kPricePoints[] = {100, 120, 150, 180, 200, 250, 280, 300, 350, 380,
                                400, 450, 480, 500, 580, 600, 680, 750, 800, 980};

template <typename T, size_t N>
const T& pick(Rng& rng, const T (&items)[N])
{
    return items[rng.below(std::int64_t(N))];
}

std::string halfKana(Rng& rng)
{
    std::string s;
    for (std::int64_t n = rng.between(3, 8); n > 0; --n)
        s += pick(rng, kHalfKana);
    return s;
}

std::string format(const char* fmt, long long a, long long b = 0, long long c = 0)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

std::string phone(Rng& rng)
{
    return format("0%lld-%04lld-%04lld", rng.between(3, 99), rng.below(10000), rng.below(10000));
}

constexpr std::int64_t kYen = 10000;  // ten-thousandths per yen

}  // namespace

// ---------------------------------------------------------------------------------

DataGenerator::DataGenerator(sqlite3* db, GeneratorOptions options) : m_db(db), m_options(options) {}

void DataGenerator::exec(const char* sql) const
{
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : sqlite3_errmsg(m_db);
        sqlite3_free(err);
        throw std::runtime_error(msg + ": " + sql);
    }
}

long long DataGenerator::scaled(long long count, long long minimum) const
{
    const long long n = std::llround(double(count) * m_options.scale);
    return n < minimum ? minimum : n;
}

// Every part draws from a generator of its own, so a change in one part does
// not shift the numbers of the others.
std::uint64_t DataGenerator::seedFor(int part) const
{
    return m_options.seed + 0x1000193ULL * std::uint64_t(part);
}

void DataGenerator::run()
{
    // Speed over safety while the file is being made: a crash leaves a file to
    // throw away, nothing else.
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA synchronous=OFF");
    exec("PRAGMA cache_size=-262144");
    exec("PRAGMA foreign_keys=ON");
    exec("BEGIN IMMEDIATE");
    try {
        loadFixedRows();
        makeStaff();
        makeCategories();
        makeItems();
        makePartners(true);
        makePartners(false);
        makeGoodsSlips(true);
        makeGoodsSlips(false);
        makeMoneySlips(true);
        makeMoneySlips(false);
        deleteSomePartners();
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    exec("PRAGMA synchronous=FULL");
    exec("PRAGMA journal_mode=WAL");
}

void DataGenerator::loadFixedRows()
{
    // The rate in force on every day of the period, from the database's own table.
    std::vector<std::pair<std::int64_t, std::int64_t>> rates;
    Stmt r(m_db, "SELECT 適用年月日, 消費税率 FROM m_税率 ORDER BY 適用年月日");
    while (r.row()) {
        const std::string d = r.columnText(0);
        rates.emplace_back(
            daysFromCivil(std::stoi(d.substr(0, 4)), std::stoi(d.substr(5, 2)), std::stoi(d.substr(8, 2))),
            r.columnInt(1));
    }
    m_rateByDay.assign(size_t(kDays), 0);
    for (std::int64_t i = 0; i < kDays; ++i)
        for (const auto& [from, rate] : rates)
            if (from <= kFirstDay + i)
                m_rateByDay[size_t(i)] = rate;

    Stmt u(m_db, "SELECT 単位 FROM m_単位 ORDER BY 単位コード");
    while (u.row())
        m_units.push_back(u.columnText(0));
    for (const Category& c : kCategories) {
        bool known = false;
        for (const std::string& unit : m_units)
            known = known || unit == c.unit;
        if (!known)
            throw std::runtime_error(std::string("m_単位 lacks the unit ") + c.unit);
    }
}

void DataGenerator::makeStaff()
{
    Rng rng(seedFor(1));
    Stmt ins(m_db, "INSERT INTO m_担当者 (担当者コード, 担当者名) VALUES (?, ?)");
    for (long long i = 0; i < Staff; ++i) {
        m_staffCodes.push_back(format("%02lld", i + 1));
        ins.text(1, m_staffCodes.back())
            .text(2, std::string(pick(rng, kFamilies).text) + " " + pick(rng, kGivenNames).text)
            .run();
    }
}

void DataGenerator::makeCategories()
{
    Rng rng(seedFor(2));
    Stmt ins(m_db,
             "INSERT INTO m_商品分類 (商品分類コード, 分類名, 略称ｶﾅ, 税区分コード) VALUES (?, ?, ?, ?)");
    for (int i = 0; i < kCategoryCount; ++i) {
        const Category& c = kCategories[i];
        m_categoryCodes.push_back(format("%02lld%02lld", i / 5 + 1, i % 5 + 1));
        m_categoryUnits.push_back(c.unit);
        m_categoryTax.push_back(c.tax);
        ins.text(1, m_categoryCodes.back()).text(2, c.name).text(3, halfKana(rng)).text(4, c.tax).run();
    }
}

void DataGenerator::makeItems()
{
    Rng rng(seedFor(3));
    Stmt ins(m_db,
             "INSERT INTO m_商品 (商品コード, 商品名, 商品名カナ, 略称ｶﾅ, 商品分類コード, 税区分コード, "
             "単位, 単価, 原価)"
             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const long long count = scaled(Items, 50);
    const int goodsCategories = kCategoryCount - 1;
    for (long long i = 0; i < count; ++i) {
        const int cat = int(i % goodsCategories);
        const Category& c = kCategories[cat];
        Item item;
        item.code = format("4901234%06lld", i + 1);
        const char* series = pick(rng, kSeries);
        item.name = std::string(c.name) + " " + series +
                    format(" %c-%03lld", 'A' + rng.below(26), rng.between(1, 999));
        item.unit = c.unit;
        item.category = m_categoryCodes[size_t(cat)];
        item.taxClass = c.tax;
        item.fractionalQuantity = item.unit == "kg" || item.unit == "m";
        // ¥10 … ¥98,000 on usual price points; a few items cost half yen.
        std::int64_t price = std::int64_t(pick(rng, kPricePoints)) * kYen / 10;
        for (std::int64_t p = rng.below(4); p > 0; --p)
            price *= 10;
        if (rng.percent(2))
            price += kYen / 2;
        if (!rng.percent(1))
            item.price = price;
        if (!rng.percent(1))
            item.cost = price * rng.between(55, 85) / 100 / kYen * kYen;
        ins.text(1, item.code)
            .text(2, item.name)
            .text(3, std::string(c.kana) + series)
            .text(4, halfKana(rng))
            .text(5, item.category)
            .text(6, item.taxClass)
            .text(7, item.unit)
            .integer(8, item.price)
            .integer(9, item.cost)
            .run();
        m_items.push_back(std::move(item));
    }

    // Charges typed on a line without an item: freight and fees bear tax, a
    // discount is a negative price.
    const std::string charges = m_categoryCodes.back();
    m_chargeItems = {
        {"", "送料", "式", charges, "01", 800 * kYen, 600 * kYen, false},
        {"", "代引手数料", "式", charges, "01", 330 * kYen, 330 * kYen, false},
        {"", "値引", "式", charges, "01", -500 * kYen, -500 * kYen, false},
        {"", "商品券", "枚", m_categoryCodes[size_t(kCategoryCount - 2)], "02", 1000 * kYen, 1000 * kYen,
         false},
    };
}

void DataGenerator::makePartners(bool customers)
{
    Rng rng(seedFor(customers ? 4 : 5));
    Stmt ins(m_db,
             customers
                 ? "INSERT INTO m_顧客 (顧客コード, 顧客名, 顧客名カナ, 郵便番号, 住所, 電話番号, FAX番号,"
                   " \"E-mail\", 締日) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"
                 : "INSERT INTO m_仕入先 (仕入先コード, 仕入先名, 仕入先名カナ, 郵便番号, 住所, 電話番号,"
                   " FAX番号, \"E-mail\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const long long count = customers ? scaled(Customers, 20) : scaled(Suppliers, 10);
    auto& codes = customers ? m_customerCodes : m_supplierCodes;
    for (long long i = 0; i < count; ++i) {
        codes.push_back(format(customers ? "1%04lld" : "2%04lld", i + 1));
        const std::int64_t f = rng.below(std::int64_t(std::size(kFamilies)));
        const Word& trade = pick(rng, kTrades);
        const std::int64_t form = rng.below(3);
        std::string name = std::string(kFamilies[f].text) + trade.text;
        name = form == 0 ? "株式会社" + name : form == 1 ? name + "株式会社" : "有限会社" + name;
        const std::string address =
            std::string(pick(rng, kCities)) + pick(rng, kTowns) +
            format("%lld丁目%lld番%lld号", rng.between(1, 5), rng.between(1, 30), rng.between(1, 20));
        ins.text(1, codes.back())
            .text(2, name)
            .text(3, std::string(kFamilies[f].kana) + trade.kana)
            .integer(4, rng.between(100000, 9999999))  // a leading zero is not kept
            .text(5, address)
            .text(6, phone(rng));
        if (rng.percent(70))
            ins.text(7, phone(rng));
        if (rng.percent(60))
            ins.text(8, format("info%lld@", i + 1) + kFamilyRomaji[f] + ".co.jp");
        if (customers) {
            // Month end is the most common closing day, then the 20th, 25th, 10th, 15th.
            const std::int64_t r = rng.below(100);
            const std::int64_t day = r < 35   ? 32
                                     : r < 55 ? 20
                                     : r < 70 ? 25
                                     : r < 80 ? 10
                                     : r < 90 ? 15
                                              : rng.between(1, 31);
            ins.integer(9, day);
        }
        ins.run();
    }
}

void DataGenerator::makeGoodsSlips(bool sales)
{
    Rng rng(seedFor(sales ? 6 : 7));
    Stmt header(
        m_db, sales ? "INSERT INTO t_売上 (伝票番号, 売上年月日, 売上区分コード, 顧客コード, 担当者コード)"
                      " VALUES (?, ?, ?, ?, ?)"
                    : "INSERT INTO t_仕入 (伝票番号, 仕入年月日, 仕入区分コード, 仕入先コード, 担当者コード)"
                      " VALUES (?, ?, ?, ?, ?)");
    Stmt line(m_db,
              sales ? "INSERT INTO t_売上明細 (伝票番号, 明細番号, 商品コード, 商品名, 単位, 商品分類コード,"
                      " 税区分コード, 単価, 税額, 数量) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                    : "INSERT INTO t_仕入明細 (伝票番号, 明細番号, 商品コード, 商品名, 単位, 商品分類コード,"
                      " 税区分コード, 単価, 税額, 数量) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const long long slips = scaled(sales ? SalesSlips : PurchaseSlips, 1);
    const auto& partners = sales ? m_customerCodes : m_supplierCodes;
    const std::int64_t itemCount = std::int64_t(m_items.size());

    for (long long i = 0; i < slips; ++i) {
        const long long no = i + 1;
        // Numbers follow the dates, as slips are entered day by day.
        const std::int64_t dayIndex = std::int64_t(i * kDays / slips);
        std::string date = isoDate(kFirstDay + dayIndex);
        if (rng.percent(1))
            date += format(" %02lld:%02lld:%02lld", rng.between(8, 19), rng.below(60), rng.below(60));
        const bool credit = rng.percent(sales ? 85 : 90);
        header.integer(1, no).text(2, date).text(3, credit ? "10" : "20");
        // A cash sale is often made to a walk-in customer with no code.
        if (credit || rng.percent(sales ? 40 : 90))
            header.text(4, partners[size_t(rng.skewed(std::int64_t(partners.size())))]);
        if (rng.percent(95))
            header.text(5, m_staffCodes[size_t(rng.below(std::int64_t(m_staffCodes.size())))]);
        header.run();

        const std::int64_t rate = m_rateByDay[size_t(dayIndex)];
        const std::int64_t lines = rng.between(1, 7);
        for (std::int64_t n = 1; n <= lines; ++n) {
            const bool charge = rng.percent(2);
            const Item& item = charge ? m_chargeItems[size_t(rng.below(std::int64_t(m_chargeItems.size())))]
                                      : m_items[size_t(rng.skewed(itemCount))];
            std::int64_t price = (sales ? item.price : item.cost).value_or(0);
            if (!charge && rng.percent(5))
                price = price * 90 / 100 / kYen * kYen;  // a negotiated price
            std::int64_t quantity;
            if (charge)
                quantity = kYen;
            else if (item.fractionalQuantity)
                quantity = rng.between(25, 5000) * 100;  // 0.25 … 50.00
            else
                quantity = rng.between(1, sales ? 20 : 50) * kYen * (rng.percent(3) ? 10 : 1);
            if (!charge && rng.percent(1))
                quantity = -rng.between(1, 3) * kYen;  // a return
            // Tax per unit: price × rate, cut toward zero to whole yen.
            const std::int64_t tax = item.taxClass == "01" ? price * rate / (kYen * kYen) * kYen : 0;

            line.integer(1, no)
                .integer(2, n)
                .textOrNull(3, item.code)
                .text(4, item.name)
                .text(5, item.unit)
                .text(6, item.category)
                .text(7, item.taxClass)
                .integer(8, price)
                .integer(9, tax)
                .integer(10, quantity)
                .run();
        }
    }
}

void DataGenerator::makeMoneySlips(bool receipts)
{
    Rng rng(seedFor(receipts ? 8 : 9));
    Stmt header(m_db, receipts ? "INSERT INTO t_入金 (伝票番号, 入金年月日, 顧客コード) VALUES (?, ?, ?)"
                               : "INSERT INTO t_支払 (伝票番号, 支払年月日, 仕入先コード) VALUES (?, ?, ?)");
    Stmt line(
        m_db,
        receipts
            ? "INSERT INTO t_入金明細 (伝票番号, 明細番号, 区分コード, 金額, 摘要) VALUES (?, ?, ?, ?, ?)"
            : "INSERT INTO t_支払明細 (伝票番号, 明細番号, 区分コード, 金額, 摘要) VALUES (?, ?, ?, ?, ?)");
    const long long slips = scaled(receipts ? Receipts : Payments, 1);
    const auto& partners = receipts ? m_customerCodes : m_supplierCodes;
    for (long long i = 0; i < slips; ++i) {
        const long long no = i + 1;
        const std::int64_t day = kFirstDay + std::int64_t(i * kDays / slips);
        std::string date = isoDate(day);
        if (rng.percent(1))
            date += format(" %02lld:%02lld:%02lld", rng.between(9, 16), rng.below(60), rng.below(60));
        header.integer(1, no)
            .text(2, date)
            .text(3, partners[size_t(rng.skewed(std::int64_t(partners.size())))])
            .run();

        // Mostly a bank transfer, sometimes cash, a cheque, a bill or a set-off.
        const std::int64_t r = rng.below(100);
        const char* kind = r < 70 ? "20" : r < 80 ? "10" : r < 85 ? "30" : r < 95 ? "40" : "50";
        const Civil previous = civilFromDays(day - 28);
        line.integer(1, no).integer(2, 1).text(3, kind).integer(4, rng.between(1, 300) * 10000 * kYen);
        if (rng.percent(40))
            line.text(5, format("%lld月分", previous.m));
        line.run();
        // The bank's transfer fee, borne by the other side.
        if (std::string_view(kind) == "20" && rng.percent(40)) {
            constexpr std::int64_t fees[] = {440, 660, 770, 880};
            line.integer(1, no)
                .integer(2, 2)
                .text(3, "70")
                .integer(4, pick(rng, fees) * kYen)
                .text(5, "振込手数料")
                .run();
        }
    }
}

// A few partners stop trading and are deleted; their slips keep the codes.
void DataGenerator::deleteSomePartners()
{
    Stmt customer(m_db, "DELETE FROM m_顧客 WHERE 顧客コード = ?");
    for (size_t i = 59; i < m_customerCodes.size(); i += 60)
        customer.text(1, m_customerCodes[i]).run();
    Stmt supplier(m_db, "DELETE FROM m_仕入先 WHERE 仕入先コード = ?");
    for (size_t i = 49; i < m_supplierCodes.size(); i += 50)
        supplier.text(1, m_supplierCodes[i]).run();
}

std::vector<std::pair<std::string, long long>> DataGenerator::tableCounts() const
{
    static constexpr const char* tables[] = {
        "m_商品", "m_商品分類", "m_顧客", "m_仕入先",   "m_担当者", "t_売上",     "t_売上明細",
        "t_仕入", "t_仕入明細", "t_入金", "t_入金明細", "t_支払",   "t_支払明細",
    };
    std::vector<std::pair<std::string, long long>> out;
    for (const char* t : tables) {
        Stmt s(m_db, (std::string("SELECT count(*) FROM ") + t).c_str());
        out.emplace_back(t, s.row() ? s.columnInt(0) : 0);
    }
    return out;
}
