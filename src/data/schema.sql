-- BaseDB.mdb: the tables, indexes, report views and fixed code rows of the
-- bookkeeping database. tools/mkdb runs this script on a new file at build time;
-- the program itself alters a book only through its upgrade steps (book.cpp),
-- when it opens a book of an older version.
--
-- The file says what it is: the application id marks a book of this program and
-- the user version is the version of this schema. Raising the version means
-- adding the step that brings a book of the previous version here.
PRAGMA application_id = 1129729620;
PRAGMA user_version = 3;
--
-- Column conventions
--   text(n)   TEXT CHECK (length(col) <= n); the data layer stores NULL for empty text.
--   integer   INTEGER; keys are kept within the 32-bit range.
--   currency  declared CURRENCY (numeric affinity) holding an INTEGER count of
--             ten-thousandths; a CHECK on typeof() keeps floating point out, so
--             an amount can never drift.
--   date      declared DATE holding ISO text 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS';
--             the CHECK accepts only real calendar dates in those two shapes, so
--             text comparison orders dates and a period ">= from AND < day after
--             to" takes in every time of day of its last day.
--   image     BLOB (PNG bytes).
--
-- Master rows are not referenced by foreign keys: the master editors refuse to
-- delete a customer, supplier, item, category or staff member that slips name. Only slip lines
-- belong to their header (ON DELETE CASCADE, with PRAGMA foreign_keys=ON on
-- every connection), so a deleted slip's lines never reappear under a reused number.

------------------------------------------------------------------------------
-- Master tables
------------------------------------------------------------------------------

CREATE TABLE m_商品 (
    商品コード     TEXT NOT NULL PRIMARY KEY CHECK (length(商品コード) <= 13),
    商品名         TEXT CHECK (length(商品名) <= 50),
    商品名カナ     TEXT CHECK (length(商品名カナ) <= 50),
    略称ｶﾅ         TEXT CHECK (length(略称ｶﾅ) <= 20),
    商品分類コード TEXT CHECK (length(商品分類コード) <= 4),
    税区分コード   TEXT CHECK (length(税区分コード) <= 2),
    単位           TEXT CHECK (length(単位) <= 8),
    単価           CURRENCY CHECK (typeof(単価) IN ('integer', 'null')),
    原価           CURRENCY CHECK (typeof(原価) IN ('integer', 'null'))
);
CREATE INDEX ix_m_商品_商品分類コード ON m_商品 (商品分類コード);

CREATE TABLE m_商品分類 (
    商品分類コード TEXT NOT NULL PRIMARY KEY CHECK (length(商品分類コード) <= 4),
    分類名         TEXT CHECK (length(分類名) <= 50),
    略称ｶﾅ         TEXT CHECK (length(略称ｶﾅ) <= 20),
    税区分コード   TEXT CHECK (length(税区分コード) <= 2)
);

CREATE TABLE m_顧客 (
    顧客コード   TEXT NOT NULL PRIMARY KEY CHECK (length(顧客コード) <= 13),
    顧客名       TEXT CHECK (length(顧客名) <= 50),
    顧客名カナ   TEXT CHECK (length(顧客名カナ) <= 50),
    郵便番号     INTEGER CHECK (typeof(郵便番号) IN ('integer', 'null') AND 郵便番号 BETWEEN 0 AND 9999999),
    住所         TEXT CHECK (length(住所) <= 50),
    電話番号     TEXT CHECK (length(電話番号) <= 50),
    FAX番号      TEXT CHECK (length(FAX番号) <= 50),
    "E-mail"     TEXT CHECK (length("E-mail") <= 50),
    -- 1 to 31 name a day of the month, 32 is month end
    締日         INTEGER CHECK (typeof(締日) IN ('integer', 'null') AND 締日 BETWEEN 1 AND 32)
);

CREATE TABLE m_仕入先 (
    仕入先コード TEXT NOT NULL PRIMARY KEY CHECK (length(仕入先コード) <= 13),
    仕入先名     TEXT CHECK (length(仕入先名) <= 50),
    仕入先名カナ TEXT CHECK (length(仕入先名カナ) <= 50),
    郵便番号     INTEGER CHECK (typeof(郵便番号) IN ('integer', 'null') AND 郵便番号 BETWEEN 0 AND 9999999),
    住所         TEXT CHECK (length(住所) <= 50),
    電話番号     TEXT CHECK (length(電話番号) <= 50),
    FAX番号      TEXT CHECK (length(FAX番号) <= 50),
    "E-mail"     TEXT CHECK (length("E-mail") <= 50)
);

CREATE TABLE m_担当者 (
    担当者コード TEXT NOT NULL PRIMARY KEY CHECK (length(担当者コード) <= 2),
    担当者名     TEXT CHECK (length(担当者名) <= 50)
);

-- Items store the unit's name, not its code, so the name is unique.
CREATE TABLE m_単位 (
    単位コード INTEGER NOT NULL PRIMARY KEY CHECK (単位コード BETWEEN -2147483648 AND 2147483647),
    単位       TEXT NOT NULL UNIQUE CHECK (length(単位) <= 8)
);

CREATE TABLE m_税区分 (
    税区分コード TEXT NOT NULL PRIMARY KEY CHECK (length(税区分コード) <= 2),
    税区分名     TEXT CHECK (length(税区分名) <= 20)
);

-- The rate in force on a day is the row with the latest 適用年月日 not after it.
-- A plain date only: '2019-10-01 00:00:00' would not be "<= '2019-10-01'".
CREATE TABLE m_税率 (
    適用年月日 DATE NOT NULL PRIMARY KEY
        CHECK (typeof(適用年月日) = 'text'
               AND 適用年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
               AND date(適用年月日, '+0 days') = 適用年月日),
    -- a fraction of one in ten-thousandths: 0.10 is 1000
    消費税率   CURRENCY CHECK (typeof(消費税率) IN ('integer', 'null'))
);

CREATE TABLE m_売上区分 (
    売上区分コード TEXT NOT NULL PRIMARY KEY CHECK (length(売上区分コード) <= 2),
    区分名         TEXT CHECK (length(区分名) <= 20)
);

CREATE TABLE m_仕入区分 (
    仕入区分コード TEXT NOT NULL PRIMARY KEY CHECK (length(仕入区分コード) <= 2),
    区分名         TEXT CHECK (length(区分名) <= 20)
);

CREATE TABLE m_入金明細区分 (
    入金区分コード TEXT NOT NULL PRIMARY KEY CHECK (length(入金区分コード) <= 2),
    区分名         TEXT CHECK (length(区分名) <= 8)
);

CREATE TABLE m_支払明細区分 (
    支払区分コード TEXT NOT NULL PRIMARY KEY CHECK (length(支払区分コード) <= 2),
    区分名         TEXT CHECK (length(区分名) <= 8)
);

-- Exactly one row: 自社ID is fixed to 1, so a second row cannot be added. The
-- program reads the row with SELECT * and writes it by this key.
CREATE TABLE m_自社情報 (
    自社ID       INTEGER NOT NULL PRIMARY KEY DEFAULT 1 CHECK (自社ID = 1),
    会社名       TEXT CHECK (length(会社名) <= 50),
    代表者名     TEXT CHECK (length(代表者名) <= 50),
    郵便番号     INTEGER CHECK (typeof(郵便番号) IN ('integer', 'null') AND 郵便番号 BETWEEN 0 AND 9999999),
    住所         TEXT CHECK (length(住所) <= 100),
    電話番号     TEXT CHECK (length(電話番号) <= 50),
    FAX番号      TEXT CHECK (length(FAX番号) <= 50),
    "E-Mail"     TEXT CHECK (length("E-Mail") <= 50),
    会社ロゴ     BLOB,
    取引銀行口座 TEXT CHECK (length(取引銀行口座) <= 100)
);

------------------------------------------------------------------------------
-- Slip tables
------------------------------------------------------------------------------
-- Date checks: NULL, or a real calendar date, with or without a time of day.
-- The GLOB patterns fix the shape; date()/datetime() with a '+0 days' modifier
-- normalise the value, so '2024-02-30' or '24:00:00' no longer equal themselves.

CREATE TABLE t_売上 (
    伝票番号       INTEGER NOT NULL PRIMARY KEY CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    売上年月日     DATE CHECK (売上年月日 IS NULL OR typeof(売上年月日) = 'text' AND (
                       売上年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
                       AND date(売上年月日, '+0 days') = 売上年月日
                    OR 売上年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'
                       AND datetime(売上年月日, '+0 days') = 売上年月日)),
    売上区分コード TEXT CHECK (length(売上区分コード) <= 2),
    顧客コード     TEXT CHECK (length(顧客コード) <= 13),
    担当者コード   TEXT CHECK (length(担当者コード) <= 2),
    -- kept by the triggers on the lines; the program never writes it
    伝票合計       CURRENCY NOT NULL DEFAULT 0 CHECK (typeof(伝票合計) = 'integer')
);
CREATE INDEX ix_t_売上_売上年月日 ON t_売上 (売上年月日);
CREATE INDEX ix_t_売上_顧客コード_売上年月日 ON t_売上 (顧客コード, 売上年月日, 売上区分コード, 伝票合計);

-- Line tables are WITHOUT ROWID: the rows are stored in (伝票番号, 明細番号)
-- order, so a slip's lines are read from one place without a detour through a
-- separate key index (a fifth less time for the views' slip totals over a
-- million lines). Nothing addresses a line by rowid; writes go by the key.
--
-- (単価 + 税額) × 数量 is summed by the views in units of 1e-8; SQLite would turn
-- an overflowing product into a float, so such a line is refused here. The
-- margin of 5000 leaves room for the rounding step of the views.
CREATE TABLE t_売上明細 (
    伝票番号       INTEGER NOT NULL CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    明細番号       INTEGER NOT NULL CHECK (typeof(明細番号) = 'integer'
                                           AND 明細番号 BETWEEN -2147483648 AND 2147483647),
    商品コード     TEXT CHECK (length(商品コード) <= 13),
    商品名         TEXT CHECK (length(商品名) <= 50),
    単位           TEXT CHECK (length(単位) <= 8),
    商品分類コード TEXT CHECK (length(商品分類コード) <= 4),
    税区分コード   TEXT CHECK (length(税区分コード) <= 2),
    単価           CURRENCY CHECK (typeof(単価) IN ('integer', 'null')),
    税額           CURRENCY CHECK (typeof(税額) IN ('integer', 'null')),
    数量           CURRENCY CHECK (typeof(数量) IN ('integer', 'null')),
    PRIMARY KEY (伝票番号, 明細番号),
    FOREIGN KEY (伝票番号) REFERENCES t_売上 (伝票番号) ON DELETE CASCADE,
    CHECK (typeof((IFNULL(単価, 0) + IFNULL(税額, 0)) * IFNULL(数量, 0)) = 'integer'
           AND (IFNULL(単価, 0) + IFNULL(税額, 0)) * IFNULL(数量, 0)
               BETWEEN -9223372036854770000 AND 9223372036854770000)
) WITHOUT ROWID;
CREATE INDEX ix_t_売上明細_商品コード ON t_売上明細 (商品コード);

CREATE TABLE t_仕入 (
    伝票番号       INTEGER NOT NULL PRIMARY KEY CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    仕入年月日     DATE CHECK (仕入年月日 IS NULL OR typeof(仕入年月日) = 'text' AND (
                       仕入年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
                       AND date(仕入年月日, '+0 days') = 仕入年月日
                    OR 仕入年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'
                       AND datetime(仕入年月日, '+0 days') = 仕入年月日)),
    仕入区分コード TEXT CHECK (length(仕入区分コード) <= 2),
    仕入先コード   TEXT CHECK (length(仕入先コード) <= 13),
    担当者コード   TEXT CHECK (length(担当者コード) <= 2),
    -- kept by the triggers on the lines; the program never writes it
    伝票合計       CURRENCY NOT NULL DEFAULT 0 CHECK (typeof(伝票合計) = 'integer')
);
CREATE INDEX ix_t_仕入_仕入年月日 ON t_仕入 (仕入年月日);
CREATE INDEX ix_t_仕入_仕入先コード_仕入年月日 ON t_仕入 (仕入先コード, 仕入年月日, 仕入区分コード, 伝票合計);

CREATE TABLE t_仕入明細 (
    伝票番号       INTEGER NOT NULL CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    明細番号       INTEGER NOT NULL CHECK (typeof(明細番号) = 'integer'
                                           AND 明細番号 BETWEEN -2147483648 AND 2147483647),
    商品コード     TEXT CHECK (length(商品コード) <= 13),
    商品名         TEXT CHECK (length(商品名) <= 50),
    単位           TEXT CHECK (length(単位) <= 8),
    商品分類コード TEXT CHECK (length(商品分類コード) <= 4),
    税区分コード   TEXT CHECK (length(税区分コード) <= 2),
    単価           CURRENCY CHECK (typeof(単価) IN ('integer', 'null')),
    税額           CURRENCY CHECK (typeof(税額) IN ('integer', 'null')),
    数量           CURRENCY CHECK (typeof(数量) IN ('integer', 'null')),
    PRIMARY KEY (伝票番号, 明細番号),
    FOREIGN KEY (伝票番号) REFERENCES t_仕入 (伝票番号) ON DELETE CASCADE,
    CHECK (typeof((IFNULL(単価, 0) + IFNULL(税額, 0)) * IFNULL(数量, 0)) = 'integer'
           AND (IFNULL(単価, 0) + IFNULL(税額, 0)) * IFNULL(数量, 0)
               BETWEEN -9223372036854770000 AND 9223372036854770000)
) WITHOUT ROWID;
CREATE INDEX ix_t_仕入明細_商品コード ON t_仕入明細 (商品コード);

CREATE TABLE t_入金 (
    伝票番号   INTEGER NOT NULL PRIMARY KEY CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    入金年月日 DATE CHECK (入金年月日 IS NULL OR typeof(入金年月日) = 'text' AND (
                   入金年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
                   AND date(入金年月日, '+0 days') = 入金年月日
                OR 入金年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'
                   AND datetime(入金年月日, '+0 days') = 入金年月日)),
    顧客コード TEXT CHECK (length(顧客コード) <= 13),
    -- kept by the triggers on the lines; the program never writes it
    伝票合計       CURRENCY NOT NULL DEFAULT 0 CHECK (typeof(伝票合計) = 'integer')
);
CREATE INDEX ix_t_入金_入金年月日 ON t_入金 (入金年月日);
CREATE INDEX ix_t_入金_顧客コード_入金年月日 ON t_入金 (顧客コード, 入金年月日, 伝票合計);

CREATE TABLE t_入金明細 (
    伝票番号   INTEGER NOT NULL CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    明細番号   INTEGER NOT NULL CHECK (typeof(明細番号) = 'integer'
                                       AND 明細番号 BETWEEN -2147483648 AND 2147483647),
    区分コード TEXT CHECK (length(区分コード) <= 2),
    金額       CURRENCY CHECK (typeof(金額) IN ('integer', 'null')),
    摘要       TEXT CHECK (length(摘要) <= 50),
    PRIMARY KEY (伝票番号, 明細番号),
    FOREIGN KEY (伝票番号) REFERENCES t_入金 (伝票番号) ON DELETE CASCADE
) WITHOUT ROWID;

CREATE TABLE t_支払 (
    伝票番号     INTEGER NOT NULL PRIMARY KEY CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    支払年月日   DATE CHECK (支払年月日 IS NULL OR typeof(支払年月日) = 'text' AND (
                     支払年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
                     AND date(支払年月日, '+0 days') = 支払年月日
                  OR 支払年月日 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'
                     AND datetime(支払年月日, '+0 days') = 支払年月日)),
    仕入先コード TEXT CHECK (length(仕入先コード) <= 13),
    -- kept by the triggers on the lines; the program never writes it
    伝票合計       CURRENCY NOT NULL DEFAULT 0 CHECK (typeof(伝票合計) = 'integer')
);
CREATE INDEX ix_t_支払_支払年月日 ON t_支払 (支払年月日);
CREATE INDEX ix_t_支払_仕入先コード_支払年月日 ON t_支払 (仕入先コード, 支払年月日, 伝票合計);

CREATE TABLE t_支払明細 (
    伝票番号   INTEGER NOT NULL CHECK (伝票番号 BETWEEN -2147483648 AND 2147483647),
    明細番号   INTEGER NOT NULL CHECK (typeof(明細番号) = 'integer'
                                       AND 明細番号 BETWEEN -2147483648 AND 2147483647),
    区分コード TEXT CHECK (length(区分コード) <= 2),
    金額       CURRENCY CHECK (typeof(金額) IN ('integer', 'null')),
    摘要       TEXT CHECK (length(摘要) <= 50),
    PRIMARY KEY (伝票番号, 明細番号),
    FOREIGN KEY (伝票番号) REFERENCES t_支払 (伝票番号) ON DELETE CASCADE
) WITHOUT ROWID;

------------------------------------------------------------------------------
-- Report views
------------------------------------------------------------------------------
-- One row per slip or line whether or not the master rows it names exist
-- (LEFT JOIN): a missing master gives a null name.
--
-- The line views, v_売上明細 and v_仕入明細, are in keptslips.sql with the
-- one expression of a line's 税込合計 (linetotal.sql).
--
-- 伝票合計 is the total kept on the header by the triggers below, so a filter on
-- the view's date or partner reads headers (or only the partner index, which
-- carries class and total) and never a slip's lines.

CREATE VIEW v_売上 AS
SELECT h.伝票番号,
       h.売上年月日,
       h.売上区分コード,
       k.区分名,
       h.顧客コード,
       m.顧客名,
       h.担当者コード,
       h.伝票合計
FROM t_売上 AS h
LEFT JOIN m_売上区分 AS k ON k.売上区分コード = h.売上区分コード
LEFT JOIN m_顧客 AS m ON m.顧客コード = h.顧客コード;

-- 区分 repeats 区分名: the supplier ledger reads the class name under that name.
CREATE VIEW v_仕入 AS
SELECT h.伝票番号,
       h.仕入年月日,
       h.仕入区分コード,
       k.区分名,
       k.区分名 AS 区分,
       h.仕入先コード,
       m.仕入先名,
       h.担当者コード,
       h.伝票合計
FROM t_仕入 AS h
LEFT JOIN m_仕入区分 AS k ON k.仕入区分コード = h.仕入区分コード
LEFT JOIN m_仕入先 AS m ON m.仕入先コード = h.仕入先コード;

CREATE VIEW v_入金明細 AS
SELECT d.伝票番号,
       d.明細番号,
       d.区分コード,
       k.区分名,
       d.金額,
       d.摘要
FROM t_入金明細 AS d
LEFT JOIN m_入金明細区分 AS k ON k.入金区分コード = d.区分コード;

CREATE VIEW v_入金 AS
SELECT h.伝票番号,
       h.入金年月日,
       h.顧客コード,
       m.顧客名,
       h.伝票合計
FROM t_入金 AS h
LEFT JOIN m_顧客 AS m ON m.顧客コード = h.顧客コード;

CREATE VIEW v_支払明細 AS
SELECT d.伝票番号,
       d.明細番号,
       d.区分コード,
       k.区分名,
       d.金額,
       d.摘要
FROM t_支払明細 AS d
LEFT JOIN m_支払明細区分 AS k ON k.支払区分コード = d.区分コード;

CREATE VIEW v_支払 AS
SELECT h.伝票番号,
       h.支払年月日,
       h.仕入先コード,
       m.仕入先名,
       h.伝票合計
FROM t_支払 AS h
LEFT JOIN m_仕入先 AS m ON m.仕入先コード = h.仕入先コード;


------------------------------------------------------------------------------
-- The line views v_売上明細 / v_仕入明細 (with each line's 税込合計) and the
-- triggers that keep 伝票合計: keptslips.sql, run after this script
------------------------------------------------------------------------------

------------------------------------------------------------------------------
-- Stock kept by month: stockbymonth.sql (run after this script; the upgrades
-- to versions 2 and 3 run the same file on an older book)
------------------------------------------------------------------------------

------------------------------------------------------------------------------
-- Fixed rows
------------------------------------------------------------------------------

-- "01" is the one taxable class; every other class bears no tax.
INSERT INTO m_税区分 (税区分コード, 税区分名) VALUES
    ('01', '課税'),
    ('02', '非課税'),
    ('03', '免税'),
    ('04', '不課税');

-- "10" credit (counts in balances and bills), "20" cash.
INSERT INTO m_売上区分 (売上区分コード, 区分名) VALUES ('10', '掛売'), ('20', '現金');
INSERT INTO m_仕入区分 (仕入区分コード, 区分名) VALUES ('10', '掛仕'), ('20', '現金');

-- "10" is the class of a new receipt or payment line.
INSERT INTO m_入金明細区分 (入金区分コード, 区分名) VALUES
    ('10', '現金'),
    ('20', '振込'),
    ('30', '小切手'),
    ('40', '手形'),
    ('50', '相殺'),
    ('60', '値引'),
    ('70', '手数料'),
    ('90', 'その他');
INSERT INTO m_支払明細区分 (支払区分コード, 区分名) VALUES
    ('10', '現金'),
    ('20', '振込'),
    ('30', '小切手'),
    ('40', '手形'),
    ('50', '相殺'),
    ('60', '値引'),
    ('70', '手数料'),
    ('90', 'その他');

INSERT INTO m_単位 (単位コード, 単位) VALUES
    (1, '個'),
    (2, '本'),
    (3, '箱'),
    (4, 'ケース'),
    (5, '枚'),
    (6, '台'),
    (7, 'セット'),
    (8, '袋'),
    (9, '冊'),
    (10, '式'),
    (11, 'kg'),
    (12, 'm');

-- Consumption tax by effective date, in ten-thousandths (0.03 = 300).
INSERT INTO m_税率 (適用年月日, 消費税率) VALUES
    ('1989-04-01', 300),
    ('1997-04-01', 500),
    ('2014-04-01', 800),
    ('2019-10-01', 1000);

INSERT INTO m_自社情報 (自社ID) VALUES (1);
